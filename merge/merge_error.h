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

// A Windows error code where the merge holds error numbers. Many Windows errors mean more than any
// errno value says (a file open in another program, a drive that is not ready), so the code itself is
// carried; error numbers are never negative, which tells the two apart.
constexpr int SystemErrorNumber(unsigned long code)
{
    return -static_cast<int>(code & 0x7FFFFFFFUL);
}

// The reason for an error number in English, whatever the locale, e.g. "No such file or directory";
// for a SystemErrorNumber() the system's reason, from SystemErrorText().
std::string Reason(int errorNumber);

// The same for an error code of the standard library's file system functions; a code of the
// system's own (Windows) in the words of SystemErrorText(), not those of the errno it stands nearest to.
std::string Reason(const std::error_code& error);

}  // namespace Module1
