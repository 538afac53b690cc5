// The merge's one failure type, and the pieces its sentences are made of.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace Module1 {

// A failed merge. what() is the whole sentence for the operator: the file, and the reason in plain words.
class MergeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The path as the operator gave it, in double quotes, as UTF-8: bytes of the name that are not
// UTF-8, and control characters, are shown as \xe9 and the like.
std::string Quoted(const std::filesystem::path& path);

// The reason for an error number in English, whatever the locale, e.g. "No such file or directory".
std::string Reason(int errorNumber);

// The same for an error code of the standard library's file system functions; the system's own
// English text for a code of its own.
std::string Reason(const std::error_code& error);

}  // namespace Module1
