// Which drive holds a folder, and reading a folder's entries with the reason when it can't be read.
#include "drives.h"

#include <QFileInfo>

#include "merge_error.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

QString driveOf(const QString& folder, const QStringList& drives)
{
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    QString holder;
    qsizetype holderLength = -1;
    for (const QString& drive : drives) {
        const QString root = QDir::cleanPath(QDir::fromNativeSeparators(drive));
        if (root.isEmpty() || !path.startsWith(root, folderNameCase()))
            continue;
        const bool wholeName = path.size() == root.size() || root.endsWith(u'/') || path.at(root.size()) == u'/';
        if (wholeName && root.size() > holderLength) {
            holder = drive;
            holderLength = root.size();
        }
    }
    return holder;
}

bool sameFolder(const QString& one, const QString& other)
{
    return QString::compare(one, other, folderNameCase()) == 0;
}

QString folderPath(const QString& folder)
{
    // An empty text names no folder; QFileInfo would take it for the current one.
    if (folder.isEmpty())
        return folder;
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

QFileInfoList readFolder(const QString& folder, QDir::Filters filters, const QStringList& nameFilters)
{
    // QDir lists an unreadable folder as an empty one, so ask the file system first, for its reason.
    std::error_code error = std::make_error_code(std::errc::no_such_file_or_directory);
    if (!folder.isEmpty()) {
        error.clear();
        std::filesystem::directory_iterator(QFileInfo(folder).filesystemAbsoluteFilePath(), error);
    }
    if (error) {
        throw std::runtime_error(QStringLiteral("Cannot open the folder \"%1\": %2")
                                     .arg(folder, QString::fromStdString(Module1::Reason(error)))
                                     .toStdString());
    }
    QFileInfoList entries =
        QDir(folder).entryInfoList(nameFilters, filters | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    entries.removeIf([](const QFileInfo& entry) { return entry.isFile() && isSystemEntry(entry); });
    return entries;
}
