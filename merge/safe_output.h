// The output file: written beside its final place and moved there once whole, or, where that would
// lose something, prepared whole first and then written into the existing file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "file_system.h"

namespace Module1 {

// Until Commit(), whatever stands at the output path is left exactly as it was, and a failure at any
// point leaves no temporary file behind.
//
// The normal road is a new file in the output's folder, renamed onto the output path. An existing
// output file that a rename would change in more than its text (another owner, other hard links, a
// group that can't be kept) or that can't be replaced (its folder takes no new file) is written where
// it stands instead, from a temporary file that holds the whole output first, so that the file is
// overwritten only once every input byte has been read and the room for it is known to be there.
class SafeOutput {
public:
    // Refuses, with MergeError, an empty output path and one that names a folder, any other file
    // that is not a regular file, a read-only file, or either input file (also by another spelling or
    // a link), then creates the temporary file. An output path that is a link is written through:
    // the file it leads to is written, and the link stays.
    SafeOutput(const std::filesystem::path& outputPath, const std::filesystem::path& pcbPath,
               const std::filesystem::path& gapPath);
    ~SafeOutput();

    SafeOutput(const SafeOutput&) = delete;
    SafeOutput& operator=(const SafeOutput&) = delete;

    // The temporary file, to write the output into.
    std::FILE* File() const { return temporary_.get(); }

    // How error messages about writing File() name it: the output path as the operator gave it, and
    // where the output is prepared when that is on another disk.
    const std::string& Description() const { return writing_; }

    // Puts the output in its place and down to the disk. Everything written must have been flushed first.
    void Commit();

private:
    [[noreturn]] void Refuse(const std::string& reason) const;
    std::filesystem::path Destination(const std::filesystem::path& outputPath) const;
    int CreateTemporary(const std::filesystem::path& folder, bool shared);
    void CommitByRename();
    void CommitInPlace();

    std::string description_;
    std::string writing_;
    std::filesystem::path destination_;
    std::filesystem::path temporaryPath_;
    FilePtr temporary_;
    // The existing output file, open to be written where it stands; empty on the normal road.
    FilePtr inPlace_;
};

}  // namespace Module1
