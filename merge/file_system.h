// The merge's one door to the operating system: every call that differs by platform goes through here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace Module1 {

// The one owner of a C stream in the merge. Closing through it ignores errors: where a close can
// fail and matters, CloseFile() is called first.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Closes `file` and yields 0, or the error number of a failed close (a write that failed late).
int CloseFile(FilePtr& file);

// What stands at a path that was opened, or would have been.
enum class FileKind { Regular, Folder, Other };

struct OpenedFile {
    FilePtr file;
    // An error number when the file could not be opened; 0 when it was, or when `kind` refused it.
    int error = 0;
    FileKind kind = FileKind::Regular;
};

// Opens an existing file for reading, without a buffer of its own. Anything but a regular file is
// refused before a single byte is read, so that a FIFO with no writer can't keep the merge waiting.
OpenedFile OpenForReading(const std::filesystem::path& path);

// What decides how an existing output file is written: replaced by a new file of the same name, or
// written where it stands.
struct ExistingFile {
    // Nobody may write to the file, whoever runs the merge: no write permission at all on POSIX,
    // the read-only attribute on Windows.
    bool readOnly = false;
    // 0 when the user may write to the file, else the error number that writing would give.
    int writeError = 0;
    // Replacing it would lose nothing. On POSIX: one link only, the owner the one running the merge,
    // and no extended attributes (an ACL, a security label, the user's own), which a new file would
    // not have. On Windows: one link only, and the right to remove it, which the replace needs; its
    // owner and access rights are kept by the replace, so they are not compared.
    bool replaceable = false;
};

ExistingFile InspectExisting(const std::filesystem::path& path);

// Opens an existing regular file for writing where it stands, without emptying it.
OpenedFile OpenForWritingInPlace(const std::filesystem::path& path);

// Takes the platform's exclusive lock on the whole of `file`, without waiting for it, so that no
// two merges write one file where it stands at the same time; it lasts until the file is closed.
// Yields 0, or an error number: EWOULDBLOCK (or EAGAIN) when another open file holds the lock.
int LockForWriting(std::FILE* file);

// Creates a new file for reading and writing, failing if anything is already at `path`. `shared`:
// permissions as for any new file of the user's; otherwise for the user alone.
OpenedFile CreateNewFile(const std::filesystem::path& path, bool shared);

// Gives `file` the permissions and group of `model`, as far as the platform keeps them; false when
// some of them can't be given (a group the user is not a member of).
bool TakeAttributes(std::FILE* file, const std::filesystem::path& model);

// True when both paths lead to the same file, whatever their spelling.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Everything written to `file` down to the disk. Yields 0 or an error number.
int SyncFile(std::FILE* file);

// The folder's entries (a rename in it) down to the disk, where the platform has such a thing.
int SyncFolder(const std::filesystem::path& folder);

// Makes sure that `file` can grow to `size` bytes, before anything in it is overwritten: the room
// reserved where the file system can, the free space checked where it can't. Yields 0 or an error number.
int ReserveSpace(std::FILE* file, const std::filesystem::path& path, std::uint64_t size);

// Cuts `file` to `size` bytes. Yields 0 or an error number.
int TruncateFile(std::FILE* file, std::uint64_t size);

// Moves `from` onto `to`, replacing the file there in one step. Yields 0 or an error number.
int RenameOnto(const std::filesystem::path& from, const std::filesystem::path& to);

// The reason, in English UTF-8, for an error code of the platform's own (a Windows error): our words
// where the system's wouldn't tell the operator what to do, else the system's text with the code's
// number; empty where the platform has no such codes.
std::string SystemErrorText(int code);

// What tells that an open file changed since it was last looked at: its size, and the time it was
// last written, in the platform's own units.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of an open file; nothing, with errno set, when the system can't tell it.
std::optional<FileStamp> Stamp(std::FILE* file);

// Why no file can be written at `path` on this platform, whatever stands there: it names a device
// (Windows' "NUL", "con .pcb"), a drive alone, or a drive that does not exist. Empty when nothing
// speaks against it.
std::string WhyNotAFile(const std::filesystem::path& path);

}  // namespace Module1
