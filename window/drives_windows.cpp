// The drives of a Windows machine: its drive letters, and the system attribute of its files.
#include "drives.h"

#include <QFileInfo>

#include <windows.h>

#include <cstring>

QStringList machineDrives()
{
    QStringList drives;
    for (const QFileInfo& drive : QDir::drives())
        drives << QDir::toNativeSeparators(drive.absoluteFilePath());
    return drives;
}

Qt::CaseSensitivity folderNameCase()
{
    return Qt::CaseInsensitive;
}

bool isSystemEntry(const QFileInfo& entry)
{
    // QDir leaves hidden files out but knows nothing of the system attribute.
    const std::wstring path = QDir::toNativeSeparators(entry.absoluteFilePath()).toStdWString();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
}

QString englishReason(const std::error_code& error)
{
    // The C runtime's texts are English in every locale; the system's would follow the user's language.
    if (error.category() == std::generic_category())
        return QString::fromLocal8Bit(std::strerror(error.value()));
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, DWORD(error.value()), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString reason = length > 0 ? QString::fromWCharArray(text, int(length)).trimmed()
                                : QStringLiteral("Windows error %1").arg(error.value());
    LocalFree(text);
    // The system ends its texts with a full stop, which would end the program's sentence too early.
    if (reason.endsWith(u'.'))
        reason.chop(1);
    return reason;
}
