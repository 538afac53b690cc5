// The machine's drives as the drive lists offer them: mounted volumes here, drive letters on Windows.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Yields the drives' texts, each the full path of a drive's root folder in native form ("/", "/home",
// "C:\"). A test hands the lists its own source to offer a drive that can't be read.
using DriveSource = std::function<QStringList()>;

// The drives of this machine; one implementation for each platform.
QStringList machineDrives();

// The drive among `drives` that holds `folder`: the one whose root is the longest leading part of it.
// Empty when none does.
QString driveOf(const QString& folder, const QStringList& drives);
