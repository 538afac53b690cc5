// Tests of which drive holds a folder, and of the machine's own drives.
#include "drives.h"
#include "controls_test_support.h"
#include "german_locale.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <string>

TEST(DriveOf, TakesTheLongestRootThatEndsWhereAFolderNameEnds)
{
    const QStringList mounts{"/", "/home", "/media", "/media/usb"};
    struct Case {
        const char* name;
        QString folder;
        QStringList drives;
        QString holder;
    };
    const std::vector<Case> cases{
        {"folder below a mount", "/home/ann", mounts, "/home"},
        {"the mount's own root", "/home", mounts, "/home"},
        {"name that only begins like a mount", "/homework", mounts, "/"},
        {"the root of all", "/", mounts, "/"},
        {"nested mounts", "/media/usb/boards", mounts, "/media/usb"},
        {"folder written with a trailing separator", "/home/", mounts, "/home"},
        {"drive written with a trailing separator", "/home/ann", {"/", "/home/"}, "/home/"},
        {"no drive holds it", "/tmp", {"/home", "/media"}, ""},
        {"no drives at all", "/home", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(driveOf(c.folder, c.drives), c.holder);
    }
}

TEST(MachineDrives, OffersTheRootAndOnlyFoldersEachItsOwnDrive)
{
    const QStringList drives = machineDrives();
    EXPECT_TRUE(drives.contains(QDir::toNativeSeparators(QDir::rootPath()))) << drives.join(' ').toStdString();
    EXPECT_EQ(drives.size(), QSet<QString>(drives.begin(), drives.end()).size()) << "no drive twice";
    for (const QString& drive : drives) {
        SCOPED_TRACE(drive.toStdString());
        EXPECT_TRUE(QFileInfo(drive).isDir());
        EXPECT_EQ(driveOf(drive, drives), drive);
        EXPECT_FALSE(drive.startsWith("/proc") || drive.startsWith("/sys"));
    }
}

// The program's sentences are English, so the reasons in them must be too, whatever the locale says.
TEST(ReadFolder, GivesTheReasonInEnglishUnderAnyLocale)
{
    const test_support::GermanLocale german;
    if (!german.IsSet())
        GTEST_SKIP() << test_support::GermanLocale::Missing();

    const QString missing = folderPath(QDir::tempPath() + "/corvane-no-such-folder");
    EXPECT_EQ(errorOf([&] { readFolder(missing, QDir::Dirs); }),
              QString(R"(Cannot open the folder "%1": No such file or directory)").arg(missing));
}
