// A fresh folder for each test, and the file helpers the merge tests share.
#include "test_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>

#include "merge_apertures.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace merge_test {

TestFolder::TestFolder()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name =
        std::string("corvane-") + (test ? test->name() : "test") + "-" + std::to_string(std::random_device{}());
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    path_ = fs::temp_directory_path() / name;
    fs::create_directories(path_);
}

TestFolder::~TestFolder()
{
    // Folders that a test locked, and read-only files (which Windows won't delete), are opened up first.
    std::error_code ignored;
    for (fs::recursive_directory_iterator it(path_, ignored), end; !ignored && it != end; it.increment(ignored)) {
        if (it->is_symlink(ignored))
            continue;
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        else
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

fs::path TestFolder::Write(const fs::path& name, std::string_view bytes) const
{
    const fs::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write test file " + file.string());
    return file;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in)
        throw std::runtime_error("cannot read test file " + path.string());
    return bytes;
}

std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const fs::file_status status = entry.symlink_status();
        std::string description;
        if (fs::is_symlink(status)) {
            description = "link to " + fs::read_symlink(entry.path()).string();
        } else if (fs::is_regular_file(status)) {
            std::ostringstream permissions;
            permissions << std::oct << static_cast<unsigned>(status.permissions());
            // Large contents go in as a digest, so that a failure's report stays readable.
            const std::string bytes = ReadBytes(entry.path());
            const std::string contents = bytes.size() <= 80 ? bytes
                                                            : std::to_string(bytes.size()) + " bytes, hash " +
                                                                  std::to_string(std::hash<std::string>{}(bytes));
            description = "file " + permissions.str() + ": " + contents;
        } else if (fs::is_directory(status)) {
            description = "folder";
        } else {
            description = "other";
        }
        entries[entry.path().lexically_relative(folder).generic_string()] = description;
    }
    return entries;
}

std::string Quoted(const fs::path& path)
{
    const std::u8string name = path.u8string();
    return '"' + std::string(name.begin(), name.end()) + '"';
}

std::string FailureOf(const fs::path& pcb, const fs::path& gap, const fs::path& out)
{
    try {
        Module1::MergeApertures(pcb, gap, out);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

std::string CrLf(std::string_view text)
{
    std::string result;
    for (const char c : text) {
        if (c == '|')
            result += "\r\n";
        else
            result += c;
    }
    return result;
}

namespace {

std::string& LayoutFailure()
{
    static std::string failure;
    return failure;
}

}  // namespace

bool TryCreateSymlink(const fs::path& target, const fs::path& link)
{
    std::error_code error;
    fs::create_symlink(target, link, error);
    if (error)
        LayoutFailure() = "no symbolic link can be made: " + error.message();
    return !error;
}

const std::string& LastLayoutFailure()
{
    return LayoutFailure();
}

std::nullopt_t CannotLayOut(const std::string& why)
{
    LayoutFailure() = why;
    return std::nullopt;
}

#ifndef _WIN32
std::optional<std::size_t> LongestName(const fs::path& folder)
{
    const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (longest <= 0)
        return std::nullopt;
    return static_cast<std::size_t>(longest);
}
#endif

}  // namespace merge_test
