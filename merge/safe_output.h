// The output file: written beside its final place and moved there once whole, or, where that would
// lose something, prepared whole first and then written into the existing file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "file_system.h"

namespace Module1 {

// Until Commit(), whatever stands at the output path is left exactly as it was, and a failure at any
// point, in the constructor as well, leaves no temporary file behind (a killed process can't clean up).
//
// The normal road is a new file in the output's folder, renamed onto the output path. An existing
// output file that a rename would change in more than its text (another owner, other hard links, a
// group that can't be kept, extended attributes such as an ACL) or that can't be replaced (its folder
// takes no new file) is written where it stands instead, from a temporary file that holds the whole
// output first, so that the file is overwritten only once every input byte has been read and the room
// for it is known to be there. Such a file is locked from the start until it is written and closed,
// so that two merges onto it can't mix their outputs: the second is refused.
class SafeOutput {
public:
    // Refuses, with MergeError, an empty output path, one that can't even be looked at (a name too
    // long), and one that names a folder, any other file that is not a regular file, a read-only file,
    // or either input file (also by another spelling or a link); creates the temporary file; and
    // refuses a file to be written where it stands that another program holds locked. An output path
    // that is a link is written through: the file it leads to is written, and the link stays.
    SafeOutput(const std::filesystem::path& outputPath, const std::filesystem::path& pcbPath,
               const std::filesystem::path& gapPath);

    SafeOutput(const SafeOutput&) = delete;
    SafeOutput& operator=(const SafeOutput&) = delete;

    // The temporary file, to write the output into.
    std::FILE* File() const { return temporary_.File(); }

    // How error messages about writing File() name it: the output path as the operator gave it, and
    // where the output is prepared when that is on another disk.
    const std::string& Description() const { return description_; }

    // Puts the output in its place and down to the disk. Everything written must have been flushed first.
    void Commit();

private:
    // The file the output is prepared in, removed again with this object unless Kept(): complete as a
    // member before the constructor makes the file, so that a refusal after that removes it too.
    class Temporary {
    public:
        Temporary() = default;
        ~Temporary();
        Temporary(const Temporary&) = delete;
        Temporary& operator=(const Temporary&) = delete;

        // Takes over the file just made at `path`.
        void Hold(const std::filesystem::path& path, FilePtr file);
        std::FILE* File() const { return file_.get(); }
        FilePtr& Stream() { return file_; }
        const std::filesystem::path& Path() const { return path_; }
        // It has been renamed onto the output: nothing is left to remove.
        void Kept() { path_.clear(); }

    private:
        std::filesystem::path path_;
        FilePtr file_;
    };

    [[noreturn]] void Refuse(const std::string& reason) const;
    std::filesystem::path Destination(const std::filesystem::path& outputPath) const;
    int CreateTemporary(const std::filesystem::path& folder, bool shared);
    void CommitByRename();
    void CommitInPlace();

    // "the output file", then the output path as the operator gave it: how every message names it.
    std::string outputName_;
    std::string description_;
    std::filesystem::path destination_;
    // Whether a file stood at the output path, so that a failed rename says "replace" only then.
    bool existed_ = false;
    Temporary temporary_;
    // The existing output file, open and locked to be written where it stands; empty on the normal road.
    FilePtr inPlace_;
};

}  // namespace Module1
