// The merge's door to the operating system on Linux and other POSIX systems.
#include "file_system.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

namespace Module1 {

namespace {

FileKind KindOf(const struct stat& status)
{
    if (S_ISREG(status.st_mode))
        return FileKind::Regular;
    return S_ISDIR(status.st_mode) ? FileKind::Folder : FileKind::Other;
}

// Opens an existing file without waiting on it (a FIFO with nobody at its other end), and turns it
// into a stream only when it is a regular file.
OpenedFile OpenExisting(const std::filesystem::path& path, int access, const char* mode)
{
    OpenedFile opened;
    const int fd = ::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        opened.error = errno;
        // A socket can't be opened at all; what it is says more than "No such device or address".
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0 && KindOf(status) == FileKind::Other) {
            opened.error = 0;
            opened.kind = FileKind::Other;
        }
        return opened;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        opened.error = errno;
    } else {
        opened.kind = KindOf(status);
        if (opened.kind == FileKind::Regular && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
            opened.error = errno;
    }
    if (opened.error == 0 && opened.kind == FileKind::Regular) {
        opened.file.reset(::fdopen(fd, mode));
        if (opened.file) {
            // The merge's own buffers are the only ones needed.
            std::setvbuf(opened.file.get(), nullptr, _IONBF, 0);
            return opened;
        }
        opened.error = errno;
    }
    ::close(fd);
    return opened;
}

int ErrorOf(int result)
{
    return result == 0 ? 0 : errno;
}

// An ACL, a security label or attributes of the user's own: what a new file in its place would lack.
bool HasExtendedAttributes(const std::filesystem::path& path)
{
#ifdef __linux__
    const ssize_t names = ::listxattr(path.c_str(), nullptr, 0);
    // Where they can't be listed, they may still be there: keeping the file is the safe guess.
    return names > 0 || (names < 0 && errno != ENOTSUP);
#else
    (void)path;
    return false;
#endif
}

}  // namespace

OpenedFile OpenForReading(const std::filesystem::path& path)
{
    return OpenExisting(path, O_RDONLY, "rb");
}

OpenedFile OpenForWritingInPlace(const std::filesystem::path& path)
{
    return OpenExisting(path, O_WRONLY, "wb");
}

int LockForWriting(std::FILE* file)
{
    return ErrorOf(::flock(::fileno(file), LOCK_EX | LOCK_NB));
}

ExistingFile InspectExisting(const std::filesystem::path& path)
{
    ExistingFile existing;
    existing.writeError = ErrorOf(::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS));
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        existing.readOnly = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        existing.replaceable = status.st_nlink == 1 && status.st_uid == ::geteuid() && !HasExtendedAttributes(path);
    }
    return existing;
}

OpenedFile CreateNewFile(const std::filesystem::path& path, bool shared)
{
    OpenedFile opened;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, shared ? 0666 : 0600);
    if (fd < 0) {
        opened.error = errno;
        return opened;
    }
    opened.file.reset(::fdopen(fd, "w+b"));
    if (!opened.file) {
        opened.error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return opened;
    }
    std::setvbuf(opened.file.get(), nullptr, _IONBF, 0);
    return opened;
}

bool TakeAttributes(std::FILE* file, const std::filesystem::path& model)
{
    struct stat wanted {};
    struct stat own {};
    const int fd = ::fileno(file);
    if (::stat(model.c_str(), &wanted) != 0 || ::fstat(fd, &own) != 0)
        return false;
    // The group first: giving one away clears the set-group-ID bit that the mode may then set.
    if (own.st_gid != wanted.st_gid && ::fchown(fd, static_cast<uid_t>(-1), wanted.st_gid) != 0)
        return false;
    // A file system without permissions has none to keep, and loses nothing by this failing.
    (void)::fchmod(fd, wanted.st_mode & 07777);
    return true;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

int SyncFile(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return errno;
    return ErrorOf(::fsync(::fileno(file)));
}

int SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = ErrorOf(::fsync(fd));
    // Some file systems can't sync a folder, and have nothing there to sync.
    if (error == EINVAL || error == EROFS)
        error = 0;
    ::close(fd);
    return error;
}

int ReserveSpace(std::FILE* file, const std::filesystem::path&, std::uint64_t size)
{
    const int fd = ::fileno(file);
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return errno;
    const auto current = static_cast<std::uint64_t>(status.st_size);
    if (size <= current)
        return 0;
#ifdef __linux__
    // The room taken for the file at once, beyond its end, so that nothing in it changes yet.
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0)
        return 0;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
#endif
    struct statvfs space {};
    if (::fstatvfs(fd, &space) != 0)
        return errno;
    const std::uint64_t available = static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize;
    return available >= size - current ? 0 : ENOSPC;
}

int TruncateFile(std::FILE* file, std::uint64_t size)
{
    if (std::fflush(file) != 0)
        return errno;
    return ErrorOf(::ftruncate(::fileno(file), static_cast<off_t>(size)));
}

int RenameOnto(const std::filesystem::path& from, const std::filesystem::path& to)
{
    return ErrorOf(std::rename(from.c_str(), to.c_str()));
}

std::string WhyNotAFile(const std::filesystem::path&)
{
    // Devices and mount points are files here, and stat() tells what they are.
    return {};
}

std::string SystemErrorText(int)
{
    // Every error here is an errno value, which Reason() knows.
    return {};
}

std::optional<FileStamp> Stamp(std::FILE* file)
{
    struct stat status {};
    if (::fstat(::fileno(file), &status) != 0)
        return std::nullopt;
    // To the nanosecond where the file system keeps it: a rewrite within the same second still shows.
    return FileStamp{static_cast<std::uint64_t>(status.st_size),
                     static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

}  // namespace Module1
