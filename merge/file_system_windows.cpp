// The merge's door to the operating system on Windows.
#include "file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "merge_error.h"

namespace Module1 {

namespace {

// The merge's error number for a Windows error: the errno value where that says the same, so that the
// operator reads the same words as on Linux and the merge can test for it (a name already taken), else
// the Windows code itself, whose meaning no errno value has (a file open in another program, a drive
// that is not ready).
int ErrorNumber(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS:
        // A failure that Windows gave no code for must not read as success.
        return EIO;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
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
    default:
        return SystemErrorNumber(error);
    }
}

// Our own words for the Windows errors that an operator meets and whose system text would not tell
// him what to do; nothing for the others.
const char* OwnWords(DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "it is open in another program";
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return "the file that stands there can't be removed, most likely because another program has it open";
    case ERROR_INVALID_DRIVE:
        return "the drive does not exist";
    case ERROR_NOT_READY:
        return "the drive is not ready";
    case ERROR_WRITE_PROTECT:
        return "the disk is write-protected";
    case ERROR_BAD_NETPATH:
        return "the network path was not found";
    case ERROR_BAD_NET_NAME:
        return "the network share was not found";
    case ERROR_NETNAME_DELETED:
    case ERROR_DEV_NOT_EXIST:
        return "the network connection was lost";
    case ERROR_INVALID_NAME:
        return "Windows does not allow this name (a name holds none of * ? \" < > |)";
    default:
        return nullptr;
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

// A stream on a handle that the merge opened itself, with the share mode it chose; the handle is
// closed when no stream can be made of it.
OpenedFile Streamed(HANDLE handle, int flags, const char* mode)
{
    OpenedFile opened;
    errno = 0;
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), flags);
    if (fd < 0) {
        opened.error = errno;
        CloseHandle(handle);
        return opened;
    }
    opened.file.reset(_fdopen(fd, mode));
    if (!opened.file) {
        opened.error = errno;
        _close(fd);
        return opened;
    }
    // The merge's own buffers are the only ones needed.
    std::setvbuf(opened.file.get(), nullptr, _IONBF, 0);
    return opened;
}

// The path made whole, as Windows itself makes it: absolute, with backslashes, "." and ".." resolved;
// empty where it can't be made.
std::wstring FullPath(const std::filesystem::path& path)
{
    const std::wstring& name = path.native();
    if (name.empty())
        return {};
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length > full.size()) {
        full.resize(length);
        length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (length == 0 || length > full.size())
        return {};
    full.resize(length);
    return full;
}

// Windows opens a device for a reserved name in any folder and with any extension ("P:\\nul.pcb",
// "con .pcb"), and tells so by giving its full path in the device namespace. The console's own names
// are devices only as the whole path.
bool IsDevice(const std::filesystem::path& path)
{
    const std::wstring& name = path.native();
    if (_wcsicmp(name.c_str(), L"CONIN$") == 0 || _wcsicmp(name.c_str(), L"CONOUT$") == 0)
        return true;
    const std::wstring full = FullPath(path);
    constexpr std::wstring_view kDevices = L"\\\\.\\";
    if (!full.starts_with(kDevices))
        return false;
    // "\\.\C:\folder\file" is a file, named through its drive's device.
    const std::wstring_view rest = std::wstring_view(full).substr(kDevices.size());
    return !(rest.size() >= 3 && rest[1] == L':' && rest[2] == L'\\');
}

// The drive letter that `path` names ("Q:"), or nothing for a path without one.
std::wstring DriveOf(const std::filesystem::path& path)
{
    const std::wstring root = path.root_name().native();
    const wchar_t letter = root.empty() ? L'\0' : static_cast<wchar_t>(root[0] | 0x20);
    if (root.size() != 2 || root[1] != L':' || letter < L'a' || letter > L'z')
        return {};
    return {static_cast<wchar_t>(letter - L'a' + L'A'), L':'};
}

bool DriveIsMissing(const std::wstring& drive)
{
    return !drive.empty() && GetDriveTypeW((drive + L'\\').c_str()) == DRIVE_NO_ROOT_DIR;
}

// Windows says only that the file or its folder can't be found where the drive itself is missing.
DWORD Explained(DWORD error, const std::filesystem::path& path)
{
    if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && DriveIsMissing(DriveOf(path)))
        return ERROR_INVALID_DRIVE;
    return error;
}

// An existing file as a stream, or why not. Shared as the C library shares the files it opens: others
// may go on reading and writing it.
OpenedFile OpenExisting(const std::filesystem::path& path, DWORD access, int flags, const char* mode)
{
    OpenedFile opened;
    const HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.error = ErrorNumber(Explained(GetLastError(), path));
        return opened;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        // A pipe, or a device by a name that IsDevice() doesn't know.
        CloseHandle(handle);
        opened.kind = FileKind::Other;
        return opened;
    }
    return Streamed(handle, flags, mode);
}

// The attributes that belong to the file rather than to its text, kept when it is replaced.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

OpenedFile OpenForReading(const std::filesystem::path& path)
{
    OpenedFile opened;
    // CON would wait for the keyboard, and NUL reads as an empty board file.
    if (IsDevice(path)) {
        opened.kind = FileKind::Other;
        return opened;
    }
    // Windows won't open a folder as a stream at all, and would say only "Permission denied".
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        opened.kind = FileKind::Folder;
        return opened;
    }
    return OpenExisting(path, GENERIC_READ, _O_RDONLY, "rb");
}

OpenedFile OpenForWritingInPlace(const std::filesystem::path& path)
{
    // "r+": writing where the file stands, without emptying it.
    return OpenExisting(path, GENERIC_READ | GENERIC_WRITE, 0, "r+b");
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
    if (existing.writeError == 0 && existing.replaceable) {
        // Replacing removes the file as it stands, which Windows refuses while another program holds
        // it without sharing its deletion (an editor, a viewer): found now, before any input is read,
        // and not after the whole merge. Without the right to remove it, it is written where it stands.
        const Probe remover(path, GENERIC_WRITE | DELETE);
        if (remover.Error() == ERROR_SHARING_VIOLATION)
            existing.writeError = ErrorNumber(remover.Error());
        else if (remover.Error() != 0)
            existing.replaceable = false;
    }
    return existing;
}

OpenedFile CreateNewFile(const std::filesystem::path& path, bool)
{
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        OpenedFile opened;
        opened.error = ErrorNumber(GetLastError());
        return opened;
    }
    OpenedFile opened = Streamed(handle, 0, "w+b");
    if (!opened.file)
        DeleteFileW(path.c_str());
    return opened;
}

bool TakeAttributes(std::FILE* file, const std::filesystem::path& model)
{
    // The permissions are the security descriptor, which the replace keeps; the attributes are given
    // here, since not every replace keeps them (a move where the file system can't replace, wine).
    const DWORD attributes = GetFileAttributesW(model.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if ((attributes & kKeptAttributes) == 0)
        return true;
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes & kKeptAttributes;
    return SetFileInformationByHandle(HandleOf(file), FileBasicInfo, &basic, sizeof basic) != 0;
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
    // Windows has no way to flush a folder short of its whole volume, which takes an administrator. A
    // move with MOVEFILE_WRITE_THROUGH is on the disk when it returns; a replace, done after the new
    // text was flushed, leaves the old file or the new one whole, never a mixture.
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
    // ReplaceFileW keeps what belongs to the file rather than its text: its security descriptor, its
    // attributes, its creation time. Where nothing stands yet, there is nothing to keep.
    // Whole paths: wine's ReplaceFileW takes no path without a backslash, such as "New_main.pcb" or
    // "/home/x/New_main.pcb".
    const std::wstring replaced = FullPath(to);
    const std::wstring replacement = FullPath(from);
    const DWORD attributes = replaced.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(replaced.c_str());
    // Only a file is replaced: wine's ReplaceFileW would take a folder put in the output's place too.
    if (!replacement.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (ReplaceFileW(replaced.c_str(), replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                         nullptr))
            return 0;
        const DWORD error = GetLastError();
        // Windows may say only that the old file could not be removed; another program that holds it
        // without sharing its deletion is the likely why, and a probe tells.
        if (error == ERROR_UNABLE_TO_REMOVE_REPLACED && Probe(to, DELETE).Error() == ERROR_SHARING_VIOLATION)
            return ErrorNumber(ERROR_SHARING_VIOLATION);
        // Only a move is left: the file went away in between; or the file system can't replace; or
        // the replace removed the old file but could not put the new one in its place.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
            error != ERROR_INVALID_PARAMETER && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT)
            return ErrorNumber(error);
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return ErrorNumber(GetLastError());
}

std::string WhyNotAFile(const std::filesystem::path& path)
{
    if (IsDevice(path))
        return "it is a device, not a file";
    const std::wstring drive = DriveOf(path);
    // "P:" is the current folder of drive P:, not a name that a file could take.
    if (!drive.empty() && !path.has_root_directory() && !path.has_relative_path())
        return "it names a drive, not a file";
    if (DriveIsMissing(drive))
        return std::string("the drive ") + static_cast<char>(drive[0]) + ": does not exist";
    // Such a name would fail only when the finished output is moved onto it. A path in the "\\?\" or
    // "\\.\" form is left to Windows: its prefix holds a "?", and its names are taken as they stand.
    const std::wstring& name = path.native();
    const bool prefixed = name.starts_with(L"\\\\?\\") || name.starts_with(L"\\\\.\\");
    if (!prefixed && (name.find_first_of(L"*?\"<>|") != std::wstring::npos ||
                      std::any_of(name.begin(), name.end(), [](wchar_t c) { return c < L' '; })))
        return OwnWords(ERROR_INVALID_NAME);
    // Windows' file systems take names of up to 255 characters; a longer one, too, would fail only at
    // the move, and wine doesn't even say why.
    constexpr std::size_t kLongestName = 255;
    if (std::any_of(path.begin(), path.end(),
                    [](const std::filesystem::path& part) { return part.native().size() > kLongestName; }))
        return Reason(ENAMETOOLONG);
    return {};
}

std::string SystemErrorText(int code)
{
    const auto error = static_cast<DWORD>(code);
    if (const int number = ErrorNumber(error); number >= 0)
        return Reason(number);
    if (const char* words = OwnWords(error))
        return words;
    // The number, for a text that doesn't tell the operator what to do but may tell a helper.
    const std::string number = "Windows error " + std::to_string(error);
    // US English, not the user's language: the sentences around the text are English.
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide(text != nullptr ? text : L"", length);
    LocalFree(text);
    // The system ends its texts with a line end and a full stop, which would end the sentence too early.
    while (!wide.empty() &&
           (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ' || wide.back() == L'.'))
        wide.pop_back();
    if (wide.empty())
        return number;
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), bytes, nullptr, nullptr);
    return utf8 + " (" + number + ")";
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
