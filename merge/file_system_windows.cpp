// The merge's door to the operating system on Windows.
#include "file_system.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace Module1 {

namespace {

// The error numbers that the merge's messages know, for the Windows errors that a merge meets.
int ErrorNumber(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    default:
        return EIO;
    }
}

HANDLE HandleOf(std::FILE* file)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

// A handle that reads nothing, for asking about the file itself; folders included.
class Probe {
public:
    explicit Probe(const std::filesystem::path& path, DWORD access = 0)
        : handle_(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)),
          error_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : 0)
    {
    }
    ~Probe()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    DWORD Error() const { return error_; }
    bool Information(BY_HANDLE_FILE_INFORMATION& information) const
    {
        return handle_ != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle_, &information);
    }

private:
    HANDLE handle_;
    DWORD error_;
};

OpenedFile Opened(std::FILE* file, int error)
{
    OpenedFile opened;
    opened.file.reset(file);
    opened.error = file ? 0 : error;
    if (file)
        std::setvbuf(file, nullptr, _IONBF, 0);
    return opened;
}

}  // namespace

OpenedFile OpenForReading(const std::filesystem::path& path)
{
    // Windows won't open a folder as a stream at all, and would say only "Permission denied".
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        OpenedFile folder;
        folder.kind = FileKind::Folder;
        return folder;
    }
    errno = 0;
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    OpenedFile opened = Opened(file, errno);
    if (opened.file && GetFileType(HandleOf(opened.file.get())) != FILE_TYPE_DISK) {
        // A device such as NUL or CON, or a pipe.
        opened.file.reset();
        opened.kind = FileKind::Other;
    }
    return opened;
}

OpenedFile OpenForWritingInPlace(const std::filesystem::path& path)
{
    errno = 0;
    // "r+": writing where the file stands, without emptying it.
    std::FILE* file = _wfopen(path.c_str(), L"r+b");
    return Opened(file, errno);
}

ExistingFile InspectExisting(const std::filesystem::path& path)
{
    ExistingFile existing;
    const Probe writer(path, GENERIC_WRITE);
    existing.writeError = writer.Error() == 0 ? 0 : ErrorNumber(writer.Error());
    BY_HANDLE_FILE_INFORMATION information{};
    const Probe probe(path);
    if (probe.Information(information)) {
        existing.readOnly = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        existing.replaceable = information.nNumberOfLinks == 1;
    }
    return existing;
}

OpenedFile CreateNewFile(const std::filesystem::path& path, bool)
{
    // _O_EXCL through _wopen: the "x" of fopen is missing from older C runtimes.
    const int fd = _wopen(path.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return Opened(nullptr, errno);
    std::FILE* file = _fdopen(fd, "w+b");
    if (!file) {
        const int error = errno;
        _close(fd);
        _wunlink(path.c_str());
        return Opened(nullptr, error);
    }
    return Opened(file, 0);
}

bool TakeAttributes(std::FILE*, const std::filesystem::path&)
{
    // A file that is not read-only has no permissions beyond its folder's to keep.
    return true;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    const Probe probeA(a);
    const Probe probeB(b);
    return probeA.Information(first) && probeB.Information(second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

int SyncFile(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return errno;
    return FlushFileBuffers(HandleOf(file)) ? 0 : ErrorNumber(GetLastError());
}

int SyncFolder(const std::filesystem::path&)
{
    // A replacing move with MOVEFILE_WRITE_THROUGH is already on the disk when it returns.
    return 0;
}

int ReserveSpace(std::FILE* file, const std::filesystem::path& path, std::uint64_t size)
{
    LARGE_INTEGER current{};
    if (!GetFileSizeEx(HandleOf(file), &current))
        return ErrorNumber(GetLastError());
    if (size <= static_cast<std::uint64_t>(current.QuadPart))
        return 0;
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::absolute(path, ignored).parent_path();
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
        return ErrorNumber(GetLastError());
    return available.QuadPart >= size - static_cast<std::uint64_t>(current.QuadPart) ? 0 : ENOSPC;
}

int TruncateFile(std::FILE* file, std::uint64_t size)
{
    if (std::fflush(file) != 0)
        return errno;
    return _chsize_s(_fileno(file), static_cast<long long>(size));
}

int RenameOnto(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return ErrorNumber(GetLastError());
}

std::string SystemErrorText(int code)
{
    // US English, not the user's language: the sentences around the text are English.
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide(text != nullptr ? text : L"", length);
    LocalFree(text);
    // The system ends its texts with a line end and a full stop, which would end the sentence too early.
    while (!wide.empty() &&
           (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ' || wide.back() == L'.'))
        wide.pop_back();
    if (wide.empty())
        return {};
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::optional<FileStamp> Stamp(std::FILE* file)
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(HandleOf(file), &information)) {
        errno = ErrorNumber(GetLastError());
        return std::nullopt;
    }
    // The write time in the file system's own ticks of 100 ns.
    return FileStamp{(std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow,
                     static_cast<std::int64_t>((std::uint64_t{information.ftLastWriteTime.dwHighDateTime} << 32) |
                                               information.ftLastWriteTime.dwLowDateTime)};
}

int LockForWriting(std::FILE* file)
{
    // The whole file, however long it grows: the largest range there is.
    OVERLAPPED from{};
    if (LockFileEx(HandleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &from))
        return 0;
    const DWORD error = GetLastError();
    return error == ERROR_LOCK_VIOLATION ? EWOULDBLOCK : ErrorNumber(error);
}

}  // namespace Module1
