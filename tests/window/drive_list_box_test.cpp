// Tests of the drive list: its drives, the chosen one, and Change only when that really changes.
#include "dir_list_box.h"
#include "drive_list_box.h"
#include "controls_test_support.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>


namespace {

class DriveListBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(usb.isValid());
        ASSERT_TRUE(QDir(usb.path()).mkpath("boards"));
    }

    // The temporary folder stands in for a second volume; the third drive can't be read.
    QTemporaryDir usb;
    const QStringList drives{"/", usb.path(), "/nonexistent-drive"};
    DriveSource source = [this] { return drives; };
};

}

TEST_F(DriveListBoxTest, offersTheSourcesDrivesAndStartsOnTheCurrentFoldersDrive)
{
    DriveListBox onRoot(source);
    QStringList offered;
    for (int entry = 0; entry < onRoot.count(); ++entry)
        offered << onRoot.itemText(entry);
    EXPECT_EQ(offered, drives);
    EXPECT_EQ(onRoot.Drive(), "/");

    const QString before = QDir::currentPath();
    const auto restore = qScopeGuard([&] { QDir::setCurrent(before); });
    ASSERT_TRUE(QDir::setCurrent(usb.filePath("boards")));
    EXPECT_EQ(DriveListBox(source).Drive(), usb.path());
}

TEST_F(DriveListBoxTest, setDriveChoosesTheFoldersDriveAndRaisesChangeOnlyWhenItChanges)
{
    struct Case {
        const char* name;
        QString text;
        QString drive;
        int changes;
    };
    const std::vector<Case> cases{
        {"the drive already chosen", "/", "/", 0},
        {"a folder on the drive already chosen", "/usr", "/", 0},
        {"another drive", usb.path(), usb.path(), 1},
        {"a folder on another drive", usb.filePath("boards"), usb.path(), 1},
        {"a drive that can't be read", "/nonexistent-drive", "/nonexistent-drive", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriveListBox box(source);
        ASSERT_EQ(box.Drive(), "/");
        QStringList seen;
        QObject::connect(&box, &DriveListBox::Change, [&] { seen << box.Drive(); });

        box.setDrive(c.text);
        box.setDrive(c.text);

        EXPECT_EQ(box.Drive(), c.drive);
        EXPECT_EQ(seen, QStringList(c.changes, c.drive)) << "Change sees the new drive, once";
    }
}

TEST_F(DriveListBoxTest, setDriveThrowsWhenNoDriveHoldsTheFolder)
{
    DriveListBox box([this] { return QStringList{usb.path()}; });
    int changes = 0;
    QObject::connect(&box, &DriveListBox::Change, [&] { ++changes; });

    EXPECT_EQ(errorOf([&] { box.setDrive("/usr"); }), R"(Cannot choose the drive of "/usr": no drive holds it)");
    EXPECT_EQ(box.Drive(), usb.path());
    EXPECT_EQ(changes, 0);
}

TEST_F(DriveListBoxTest, operatorsChoiceRaisesChange)
{
    DriveListBox box(source);
    QStringList seen;
    QObject::connect(&box, &DriveListBox::Change, [&] { seen << box.Drive(); });

    QTest::keyClick(&box, Qt::Key_Down);
    QTest::keyClick(&box, Qt::Key_Up);
    QTest::keyClick(&box, Qt::Key_Up);

    EXPECT_EQ(seen, (QStringList{usb.path(), "/"})) << "the last key moves nothing";
}

// A drive handler that sets the drive back when its folder list can't move there runs once more,
// nested, for the drive set back; that run must find nothing to do.
TEST_F(DriveListBoxTest, fallbackOfADriveHandlerComesToAnEnd)
{
    DriveListBox drive(source);
    DirListBox dir(source);
    const QString folder = dir.Path();
    int dirChanges = 0;
    QObject::connect(&dir, &DirListBox::Change, [&] { ++dirChanges; });
    int runs = 0;
    QObject::connect(&drive, &DriveListBox::Change, [&] {
        if (++runs > 5)
            return;
        try {
            dir.setPath(drive.Drive());
        } catch (const std::runtime_error&) {
            drive.setDrive(dir.Path());
        }
    });

    QTest::keyClick(&drive, Qt::Key_End);

    EXPECT_EQ(runs, 2);
    EXPECT_EQ(drive.Drive(), "/");
    EXPECT_EQ(dir.Path(), folder);
    EXPECT_EQ(dirChanges, 0);
}
