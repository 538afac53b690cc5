// The pieces of the merge's error sentences.
#include "merge_error.h"

#include <cerrno>
#include <cstdint>
#include <string_view>

#include "file_system.h"

namespace Module1 {

namespace {

void AppendEscaped(std::string& shown, unsigned value)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    shown += "\\x";
    if (value > 0xFF) {
        shown += kDigits[(value >> 12) & 0xF];
        shown += kDigits[(value >> 8) & 0xF];
    }
    shown += kDigits[(value >> 4) & 0xF];
    shown += kDigits[value & 0xF];
}

bool IsControl(unsigned c)
{
    return c < 0x20 || c == 0x7F;
}

// The length of the well-formed UTF-8 sequence at the start of `bytes`, or 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned lead = at(0);
    std::size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned next = at(i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

// A name as POSIX keeps it: bytes, most often UTF-8.
[[maybe_unused]] void AppendShown(std::string& shown, std::string_view name)
{
    while (!name.empty()) {
        const auto byte = static_cast<unsigned char>(name[0]);
        std::size_t length = 1;
        if (byte < 0x80) {
            if (IsControl(byte))
                AppendEscaped(shown, byte);
            else
                shown += name[0];
        } else if ((length = Utf8SequenceLength(name)) != 0) {
            shown.append(name.substr(0, length));
        } else {
            length = 1;
            AppendEscaped(shown, byte);
        }
        name.remove_prefix(length);
    }
}

void AppendUtf8(std::string& shown, char32_t c)
{
    if (c < 0x80) {
        shown += static_cast<char>(c);
    } else if (c < 0x800) {
        shown += static_cast<char>(0xC0 | (c >> 6));
        shown += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        shown += static_cast<char>(0xE0 | (c >> 12));
        shown += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        shown += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        shown += static_cast<char>(0xF0 | (c >> 18));
        shown += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        shown += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        shown += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A name as Windows keeps it: UTF-16, in which a surrogate may stand alone.
[[maybe_unused]] void AppendShown(std::string& shown, std::wstring_view name)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto unit = static_cast<char32_t>(static_cast<std::uint16_t>(name[i]));
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < name.size()) {
            const auto next = static_cast<char32_t>(static_cast<std::uint16_t>(name[i + 1]));
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(shown, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        if (high || low || IsControl(unit))
            AppendEscaped(shown, static_cast<unsigned>(unit));
        else
            AppendUtf8(shown, unit);
    }
}

}  // namespace

std::string Quoted(const std::filesystem::path& path)
{
    std::string shown = "\"";
    AppendShown(shown, path.native());
    return shown + '"';
}

std::string Reason(int errorNumber)
{
    if (errorNumber < 0) {
        const std::string text = SystemErrorText(-errorNumber);
        return text.empty() ? "error number " + std::to_string(errorNumber) : text;
    }
    // Our own texts, not the C library's: those follow the locale, and the sentences around them
    // are English.
    switch (errorNumber) {
    case 0:
        // Not every C library sets errno for every stream failure.
        return "the operating system gave no reason";
    case EPERM:
        return "the operating system does not allow it (the file or its folder may be protected, or belong to another "
               "user)";
    case ENOENT:
        return "No such file or directory";
    case EIO:
        return "Input/output error";
    case ENXIO:
        return "No such device or address";
    case EBADF:
        return "Bad file descriptor";
    case EAGAIN:
        return "Resource temporarily unavailable";
    case ENOMEM:
        return "Cannot allocate memory";
    case EACCES:
        return "Permission denied";
    case EBUSY:
        return "Device or resource busy";
    case EEXIST:
        return "File exists";
    case EXDEV:
        return "Invalid cross-device link";
    case ENODEV:
        return "No such device";
    case ENOTDIR:
        return "Not a directory";
    case EISDIR:
        return "Is a directory";
    case EINVAL:
        return "Invalid argument";
    case ENFILE:
        return "Too many open files in system";
    case EMFILE:
        return "Too many open files";
    case EFBIG:
        return "File too large";
    case ENOSPC:
        return "No space left on device";
    case ESPIPE:
        return "Illegal seek";
    case EROFS:
        return "Read-only file system";
    case EMLINK:
        return "Too many links";
    case ENAMETOOLONG:
        return "File name too long";
    case ENOTEMPTY:
        return "Directory not empty";
    case EINTR:
        return "Interrupted system call";
#ifdef ELOOP
    case ELOOP:
        return "Too many levels of symbolic links";
#endif
#ifdef ETXTBSY
    case ETXTBSY:
        return "Text file busy";
#endif
#ifdef EOVERFLOW
    case EOVERFLOW:
        return "Value too large for defined data type";
#endif
#ifdef ETIMEDOUT
    case ETIMEDOUT:
        return "Connection timed out";
#endif
#ifdef EDQUOT
    case EDQUOT:
        return "Disk quota exceeded";
#endif
#ifdef ESTALE
    case ESTALE:
        return "Stale file handle";
#endif
    default:
        return "error number " + std::to_string(errorNumber);
    }
}

std::string Reason(const std::error_code& error)
{
    // On Windows the nearest errno can point elsewhere: a drive that is not ready would read
    // "Resource temporarily unavailable". Where the system has no codes of its own, the text is empty.
    if (error.category() == std::system_category()) {
        if (std::string text = SystemErrorText(error.value()); !text.empty())
            return text;
    }
    const std::error_condition condition = error.default_error_condition();
    if (condition.category() == std::generic_category())
        return Reason(condition.value());
    return "error number " + std::to_string(error.value());
}

}  // namespace Module1
