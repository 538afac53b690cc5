// The merge's one failure type, and the pieces its sentences are made of.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace Module1 {

// A failed merge. what() is the whole sentence for the operator: the file, and the reason in plain words.
class MergeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The path as the operator gave it, in double quotes.
std::string Quoted(const std::filesystem::path& path);

// The operating system's reason for an error number, e.g. "No such file or directory".
std::string Reason(int errorNumber);

}  // namespace Module1
