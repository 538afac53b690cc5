// A fresh folder for each test, and the file helpers the merge tests share.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace merge_test {

namespace fs = std::filesystem;

// Created empty under the system's temporary folder, removed with everything in it.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const fs::path& Path() const { return path_; }
    // Writes `bytes` to the file `name` in the folder and returns its path.
    fs::path Write(const fs::path& name, std::string_view bytes) const;

private:
    fs::path path_;
};

std::string ReadBytes(const fs::path& path);

// Every entry below `folder`: its kind, and for a file its permissions and bytes (a digest of them
// when they are many), for a link its target. Two equal snapshots mean that nothing was created,
// removed or changed in between.
std::map<std::string, std::string> Snapshot(const fs::path& folder);

// The path in double quotes, as the merge's error messages show it.
std::string Quoted(const fs::path& path);

// What the merge of these paths threw, or "no error".
std::string FailureOf(const fs::path& pcb, const fs::path& gap, const fs::path& out);

// `text` with each "|" replaced by CR LF: how the expected output of a merge is written down.
std::string CrLf(std::string_view text);

// Creates a symbolic link; false where the platform won't (Windows without the right to, MinGW's
// GCC 12 library not at all), and then LastLayoutFailure() says why.
bool TryCreateSymlink(const fs::path& target, const fs::path& link);

// Why the last file that a test wanted could not be made.
const std::string& LastLayoutFailure();

// Records why a test's files can't be laid out here, for LastLayoutFailure(), and yields nothing.
std::nullopt_t CannotLayOut(const std::string& why);

#ifndef _WIN32
// The longest file name, in bytes, that the file system of `folder` takes; nothing where it names no limit.
std::optional<std::size_t> LongestName(const fs::path& folder);
#endif

}  // namespace merge_test
