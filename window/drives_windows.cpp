// The drives of a Windows machine: its drive letters, and the system attribute of its files.
#include "drives.h"

#include <QFileInfo>

#include <windows.h>

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
