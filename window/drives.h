// The machine's drives and folders as the lists offer them: mounted volumes here, drive letters on Windows.
#pragma once

#include <QDir>
#include <QFileInfoList>
#include <QString>
#include <QStringList>

#include <functional>

// Yields the drives' texts, each the full path of a drive's root folder in native form ("/", "/home",
// "C:\"). A test hands the lists its own source to offer a drive that can't be read.
using DriveSource = std::function<QStringList()>;

// The drives of this machine; one implementation for each platform.
QStringList machineDrives();

// The drive among `drives` that holds `folder`: the one whose root is the longest leading part of it,
// ending where a folder name ends ("/home" holds "/home/ann" but not "/homework"). Empty when none does.
QString driveOf(const QString& folder, const QStringList& drives);

// Whether two folder texts name the same folder, letter case counting as the platform's names do.
bool sameFolder(const QString& one, const QString& other);

// `folder` as the lists report it: absolute, clean, with native separators; a root keeps its own
// separator ("/", "C:\").
QString folderPath(const QString& folder);

// The entries of `folder` that `filters` and `nameFilters` admit (names matched regardless of letter
// case), hidden entries and system files left out, sorted by name regardless of letter case. Throws
// std::runtime_error naming the folder and the reason when the folder can't be read.
QFileInfoList readFolder(const QString& folder, QDir::Filters filters, const QStringList& nameFilters = {});

// Each platform's own rules, for the functions above.
Qt::CaseSensitivity folderNameCase();
bool isSystemEntry(const QFileInfo& entry);
