// The output file, written beside its final place and moved there only once it is whole.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace Module1 {

// Until Commit(), whatever stands at the output path is left exactly as it was, and a failure at any
// point leaves no temporary file behind.
class SafeOutput {
public:
    // Refuses, with MergeError, an empty output path and one that names a folder, any other file
    // that is not a regular file, or either input file (also by another spelling or a link), then
    // creates the temporary file in the output's folder. An output path that is a link is written
    // through: the file it leads to is replaced, and the link stays.
    SafeOutput(const std::filesystem::path& outputPath, const std::filesystem::path& pcbPath,
               const std::filesystem::path& gapPath);
    ~SafeOutput();

    SafeOutput(const SafeOutput&) = delete;
    SafeOutput& operator=(const SafeOutput&) = delete;

    // The temporary file, to write the output into.
    std::FILE* File() const { return file_; }

    // How error messages name the output: the output path as the operator gave it.
    const std::string& Description() const { return description_; }

    // Closes the temporary file, gives it the permissions of the file it replaces, and moves it onto
    // the output path. Everything written must have been flushed first.
    void Commit();

private:
    [[noreturn]] void Refuse(const std::string& reason) const;
    std::filesystem::path Destination(const std::filesystem::path& outputPath) const;
    void CreateTemporary();

    std::string description_;
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
};

}  // namespace Module1
