// A fresh folder for each test, and the file helpers the merge tests share.
#include "test_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

#include "merge_apertures.h"

namespace merge_test {

TestFolder::TestFolder()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("corvane-") + (test ? test->name() : "test") + "-" +
                       std::to_string(std::random_device{}());
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    path_ = fs::temp_directory_path() / name;
    fs::create_directories(path_);
}

TestFolder::~TestFolder()
{
    std::error_code ignored;
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
    if (!in)
        throw std::runtime_error("cannot read test file " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
    return '"' + path.string() + '"';
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

bool TryCreateSymlink(const fs::path& target, const fs::path& link)
{
    std::error_code error;
    fs::create_symlink(target, link, error);
    return !error;
}

}  // namespace merge_test
