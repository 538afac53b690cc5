// Tests of the drive list: its drives, the chosen one, and Change only when that really changes.
#include "dir_list_box.h"
#include "drive_list_box.h"
#include "file_list_box.h"
#include "controls_test_support.h"
#include "ordinary_user.h"

#include <QFile>
#include <QAbstractItemView>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

class DriveList : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(usb.isValid());
        ASSERT_TRUE(QDir(usb.path()).mkpath("boards"));
        // The lists start on the drive of the current folder: one that the root drive holds.
        ASSERT_TRUE(QDir::setCurrent(QDir::tempPath()));
    }

    void TearDown() override { QDir::setCurrent(startedIn); }

    // The temporary folder stands in for a second volume; the third drive can't be read.
    QTemporaryDir usb;
    const QString usbRoot = native(usb.path());
    const QStringList drives{rootDrive(), usbRoot, missingDrive()};
    DriveSource source = [this] { return drives; };
    const QString startedIn = QDir::currentPath();
};

}  // namespace

TEST_F(DriveList, OffersTheSourcesDrivesAndStartsOnTheCurrentFoldersDrive)
{
    DriveListBox onRoot(source);
    QStringList offered;
    for (int entry = 0; entry < onRoot.count(); ++entry)
        offered << onRoot.itemText(entry);
    EXPECT_EQ(offered, drives);
    EXPECT_EQ(onRoot.Drive(), rootDrive());

    ASSERT_TRUE(QDir::setCurrent(usb.filePath("boards")));
    EXPECT_EQ(DriveListBox(source).Drive(), usbRoot);
}

TEST_F(DriveList, SetDriveChoosesTheFoldersDriveAndRaisesChangeOnlyWhenItChanges)
{
    struct Case {
        const char* name;
        QString text;
        QString drive;
        int changes;
    };
    const std::vector<Case> cases{
        {"the drive already chosen", rootDrive(), rootDrive(), 0},
        {"a folder on the drive already chosen", rootDrive() + "usr", rootDrive(), 0},
        {"another drive", usbRoot, usbRoot, 1},
        {"a folder on another drive", native(usb.filePath("boards")), usbRoot, 1},
        {"a drive that can't be read", missingDrive(), missingDrive(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriveListBox box(source);
        ASSERT_EQ(box.Drive(), rootDrive());
        QStringList seen;
        QObject::connect(&box, &DriveListBox::Change, [&] { seen << box.Drive(); });

        box.setDrive(c.text);
        box.setDrive(c.text);

        EXPECT_EQ(box.Drive(), c.drive);
        EXPECT_EQ(seen, QStringList(c.changes, c.drive)) << "Change sees the new drive, once";
    }
}

TEST_F(DriveList, SetDriveThrowsWhenNoDriveHoldsTheFolder)
{
    DriveListBox box([this] { return QStringList{usbRoot}; });
    int changes = 0;
    QObject::connect(&box, &DriveListBox::Change, [&] { ++changes; });

    const QString folder = rootDrive() + "usr";
    EXPECT_EQ(errorOf([&] { box.setDrive(folder); }),
              QString(R"(Cannot choose the drive of "%1": no drive holds it)").arg(folder));
    EXPECT_EQ(box.Drive(), usbRoot);
    EXPECT_EQ(changes, 0);
}

TEST_F(DriveList, OperatorsChoiceRaisesChange)
{
    DriveListBox box(source);
    QStringList seen;
    QObject::connect(&box, &DriveListBox::Change, [&] { seen << box.Drive(); });

    QTest::keyClick(&box, Qt::Key_Down);
    QTest::keyClick(&box, Qt::Key_Up);
    QTest::keyClick(&box, Qt::Key_Up);

    EXPECT_EQ(seen, (QStringList{usbRoot, rootDrive()})) << "the last key moves nothing";
}

// A drive handler that sets the drive back when its folder list can't move there runs once more,
// nested, for the drive set back; that run must find nothing to do.
TEST_F(DriveList, FallbackOfADriveHandlerComesToAnEnd)
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
    EXPECT_EQ(drive.Drive(), rootDrive());
    EXPECT_EQ(dir.Path(), folder);
    EXPECT_EQ(dirChanges, 0);
}

// Drives on folders that share a long leading part, as mounts often do, must not look alike when the
// list is closed; the open list shows each one whole.
TEST_F(DriveList, ClosedListTellsDrivesWithTheSameLeadingPartApart)
{
    const QString common = rootDrive() + native("media/operator/a-long-folder-name/x/");
    const QStringList mounts{rootDrive(), common + "mnt1", common + "mnt2"};
    DriveListBox box([&] { return mounts; });
    box.resize(81, 21);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    ASSERT_GT(box.fontMetrics().horizontalAdvance(common), box.width()) << "the texts are longer than the box";

    QList<QImage> drawn;
    for (int entry = 1; entry <= 2; ++entry) {
        box.setCurrentIndex(entry);
        drawn << box.grab().toImage();
    }
    EXPECT_NE(drawn[0], drawn[1]);
    EXPECT_EQ(box.itemText(1), mounts[1]) << "the list itself keeps the whole text";
}

namespace {

// The operator opens the drive list with F4. (A click opens it too, but the list would ignore a click on
// an entry that follows at a test's speed, as the end of the click that opened it.)
void openList(DriveListBox& box)
{
    if (!box.isVisible()) {
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    }
    QTest::keyClick(&box, Qt::Key_F4);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.view()->window())) << "F4 opens the list";
}

// The drives offered once the operator has opened the list; it is closed again.
QStringList offered(DriveListBox& box)
{
    openList(box);
    QStringList shown;
    for (int entry = 0; entry < box.count(); ++entry)
        shown << box.itemText(entry);
    box.hidePopup();
    return shown;
}

// A drive list, its folder list and its file list, joined as the window's handlers join them.
struct Group {
    explicit Group(DriveSource drives) : drive(drives), dir(drives), file("*.pcb")
    {
        QObject::connect(&drive, &DriveListBox::Change, [this] {
            try {
                dir.setPath(drive.Drive());
            } catch (...) {
                drive.setDrive(dir.Path());
            }
        });
        QObject::connect(&dir, &DirListBox::Change, [this] { file.setPath(dir.Path()); });
        dir.resize(300, 600);
        dir.show();
    }

    // The operator's choice of a drive: a click on it in the open list. `whileOpen` runs once the list
    // is open, before the click.
    void choose(const QString& text, const std::function<void()>& whileOpen = nullptr)
    {
        ASSERT_NO_FATAL_FAILURE(openList(drive));
        if (whileOpen)
            whileOpen();
        const int target = drive.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ASSERT_GE(target, 0) << text.toStdString() << " is not offered";
        QAbstractItemView* list = drive.view();
        const QPoint at = list->visualRect(list->model()->index(target, 0)).center();
        QTest::mouseMove(list->viewport(), at);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        ASSERT_FALSE(list->window()->isVisible()) << "the click closes the list";
    }

    void open(const QString& text)
    {
        const QList<QListWidgetItem*> found = dir.findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        const QPoint at = dir.visualItemRect(found.first()).center();
        QTest::mouseClick(dir.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(dir.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(dir.viewport(), Qt::LeftButton, {}, at);
    }

    DriveListBox drive;
    DirListBox dir;
    FileListBox file;
};

// Two volumes mounted on folders of a temporary folder: real drives of the machine while they last.
class MountedDrives : public testing::Test {
protected:
    void SetUp() override
    {
#ifdef __linux__
        ASSERT_TRUE(top.isValid());
        if (!test_support::PassesPermissionChecks())
            GTEST_SKIP() << "mounting a volume needs root, and the tests run as an ordinary user";
        for (const char* name : {"mnt1", "mnt2"}) {
            if (!mountAt(name))
                GTEST_SKIP() << "can't mount a tmpfs here: " << std::strerror(errno);
        }
        ASSERT_TRUE(QDir(x("mnt1")).mkpath("boards"));
        QFile board(x("mnt1/boards/b.pcb"));
        ASSERT_TRUE(board.open(QIODevice::WriteOnly));
        ASSERT_TRUE(machineDrives().contains(x("mnt1"))) << "the mount is a drive of the machine";
#else
        GTEST_SKIP() << "volumes are mounted on folders on Linux; Windows gives them drive letters";
#endif
    }

    void TearDown() override
    {
#ifdef __linux__
        for (const QByteArray& at : mounted)
            umount2(at.constData(), MNT_DETACH);
#endif
    }

#ifdef __linux__
    // Mounts a tmpfs on the folder `name` below x, made where missing; false with errno set where refused.
    bool mountAt(const QString& name)
    {
        if (!QDir(top.path()).mkpath("x/" + name))
            return false;
        const QByteArray at = QFile::encodeName(x(name));
        if (mount("tmpfs", at.constData(), "tmpfs", 0, "size=1m") != 0)
            return false;
        mounted << at;
        return true;
    }

    bool unmount(const QString& name)
    {
        return umount2(QFile::encodeName(x(name)).constData(), 0) == 0;
    }
#endif

    QString x(const QString& below = {}) const
    {
        return folderPath(below.isEmpty() ? top.filePath("x") : top.filePath("x/" + below));
    }

    QTemporaryDir top{QDir::tempPath() + "/corvane-mounts-XXXXXX"};
    QList<QByteArray> mounted;
    QString startedIn = QDir::currentPath();
    const QScopeGuard<std::function<void()>> restore{[this] { QDir::setCurrent(startedIn); }};
};

}  // namespace

// Drives come and go while the window is open, and the list offers those present each time it opens.
TEST_F(DriveList, EachOpeningOffersTheDrivesPresentThen)
{
    const QString root = rootDrive();
    const QString stick = native(usb.filePath("boards"));
    const QStringList withUsb{root, usbRoot};
    const QStringList withStick{root, stick};
    const QStringList all{root, usbRoot, stick};
    const QString gone = QString(R"(Cannot open the drive "%1": it is no longer there)").arg(usbRoot);
    struct Case {
        const char* name;
        QStringList atStart;
        QString chosen;
        QStringList later;
        QStringList offered;
        QString driveError;
    };
    const std::vector<Case> cases{
        {"a drive that appeared", {root}, root, withUsb, withUsb, "no error"},
        {"a drive that went away", all, root, withStick, withStick, "no error"},
        {"one went away and another appeared", withUsb, root, withStick, withStick, "no error"},
        // Taking it away would choose another drive behind the operator's back; but it can't be read.
        {"the chosen drive went away: it stays while it is chosen", all, usbRoot, withStick, all, gone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList present = c.atStart;
        DriveListBox box([&] { return present; });
        box.setDrive(c.chosen);
        int changes = 0;
        QObject::connect(&box, &DriveListBox::Change, [&] { ++changes; });
        EXPECT_EQ(offered(box), c.atStart);

        present = c.later;

        EXPECT_EQ(offered(box), c.offered);
        EXPECT_EQ(box.currentText(), c.chosen);
        EXPECT_EQ(errorOf([&] { box.Drive(); }), c.driveError);
        EXPECT_EQ(changes, 0) << "opening the list chooses nothing";
    }
}

// A drive chosen in the list is one that is there when it is chosen: one that appeared since the
// start opens at its root; one that went away after the list was opened can't be read, so the
// drive list goes back to its folder list's drive, and the folder list stays where it was, with the
// folders above it. On Linux its mount point would still be an empty folder, with no way up.
TEST_F(DriveList, ChoosingADriveThatCameOrWentSinceTheStart)
{
    const QString root = rootDrive();
    const QString startFolder = native(QDir::tempPath());
    struct Case {
        const char* name;
        QStringList atStart;
        QStringList atOpening;
        QStringList whileOpen;
        QString drive;
        QString folder;
        QString firstEntry;
        int folderChanges;
    };
    const QStringList withUsb{root, usbRoot};
    const std::vector<Case> cases{
        {"a drive that appeared", {root}, withUsb, withUsb, usbRoot, usbRoot, usbRoot, 1},
        {"a drive that went away while the list was open", withUsb, withUsb, {root}, root, startFolder, root, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList present = c.atStart;
        Group group([&] { return present; });
        ASSERT_EQ(group.dir.Path(), startFolder);
        int folderChanges = 0;
        QObject::connect(&group.dir, &DirListBox::Change, [&] { ++folderChanges; });
        present = c.atOpening;

        ASSERT_NO_FATAL_FAILURE(group.choose(usbRoot, [&] { present = c.whileOpen; }));

        EXPECT_EQ(group.drive.Drive(), c.drive);
        EXPECT_EQ(group.dir.Path(), c.folder);
        EXPECT_EQ(group.dir.item(0)->text(), c.firstEntry);
        EXPECT_EQ(group.file.Path(), c.folder);
        EXPECT_EQ(folderChanges, c.folderChanges);
    }
}

// Folders opened down into a mounted volume stay on the drive that the drive list shows, so every
// folder above stays one click away; choosing a drive always takes the folder list there.
TEST_F(MountedDrives, AFolderListOpenedIntoAMountStaysOnItsDrive)
{
    ASSERT_TRUE(QDir::setCurrent(x()));
    Group group(machineDrives);
    const QString startDrive = group.drive.Drive();
    ASSERT_EQ(group.dir.Path(), x());
    ASSERT_EQ(group.dir.item(0)->text(), startDrive);

    group.open("mnt1");
    EXPECT_EQ(group.dir.Path(), x("mnt1"));
    EXPECT_EQ(group.dir.item(0)->text(), startDrive) << "the list is not re-rooted at the mount";
    EXPECT_EQ(group.drive.Drive(), startDrive);
    EXPECT_EQ(texts(group.dir).mid(texts(group.dir).size() - 3), (QStringList{"x", "mnt1", "boards"}));
    group.open("boards");
    EXPECT_EQ(group.file.Path(), x("mnt1/boards"));
    EXPECT_EQ(texts(group.file), QStringList{"b.pcb"});

    group.open("x");
    EXPECT_EQ(group.dir.Path(), x()) << "the folders above the mount are one step away";
    EXPECT_EQ(group.file.Path(), x());

    group.choose(x("mnt1"));
    EXPECT_EQ(group.dir.Path(), x("mnt1"));
    EXPECT_EQ(group.dir.item(0)->text(), x("mnt1"));
    EXPECT_EQ(group.file.Path(), x("mnt1"));

    group.choose(QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_EQ(group.dir.Path(), QDir::toNativeSeparators(QDir::rootPath())) << "the chosen drive is reached";
    EXPECT_EQ(group.file.Path(), group.dir.Path());
}

// When the drive chosen can't be read, the drive list goes back to the drive its folder list stands
// on, not to the innermost mount that holds the open folder.
TEST_F(MountedDrives, ADriveThatCantBeReadLeadsBackToTheFolderListsDrive)
{
    ASSERT_TRUE(QDir::setCurrent(x()));
    Group group([] { return machineDrives() << "/nonexistent-drive"; });
    const QString startDrive = group.drive.Drive();
    group.open("mnt1");
    group.open("boards");
    int fileMoves = 0;
    QObject::connect(&group.dir, &DirListBox::Change, [&] { ++fileMoves; });

    group.choose("/nonexistent-drive");

    EXPECT_EQ(group.drive.Drive(), startDrive);
    EXPECT_EQ(group.dir.Path(), x("mnt1/boards"));
    EXPECT_EQ(group.dir.item(0)->text(), startDrive);
    EXPECT_EQ(fileMoves, 0);
}

// A volume mounted or unmounted while the window is open, as a stick plugged in or pulled: the drive
// lists offer the volumes mounted when they open, one unmounted after the list was opened can't be
// chosen, and a folder list left on an unmounted volume still leads up to the folders above it.
TEST_F(MountedDrives, AVolumeMountedOrUnmountedWhileTheListsExist)
{
#ifdef __linux__
    ASSERT_TRUE(QDir::setCurrent(x()));
    Group group(machineDrives);
    const QString startDrive = group.drive.Drive();
    ASSERT_NE(startDrive, x("mnt2"));

    ASSERT_NO_FATAL_FAILURE(group.choose(x("mnt2"), [&] { ASSERT_TRUE(unmount("mnt2")) << std::strerror(errno); }));
    EXPECT_EQ(group.drive.Drive(), startDrive) << "back to the folder list's drive";
    EXPECT_EQ(group.dir.Path(), x());
    EXPECT_EQ(group.dir.item(0)->text(), startDrive);
    EXPECT_FALSE(offered(group.drive).contains(x("mnt2"))) << "an unmounted volume is no drive";

    ASSERT_TRUE(mountAt("mnt3")) << std::strerror(errno);
    ASSERT_TRUE(QDir(x("mnt3")).mkpath("boards"));
    EXPECT_TRUE(offered(group.drive).contains(x("mnt3"))) << "a volume mounted since the start is a drive";
    ASSERT_NO_FATAL_FAILURE(group.choose(x("mnt3")));
    EXPECT_EQ(group.drive.Drive(), x("mnt3"));
    EXPECT_EQ(group.dir.Path(), x("mnt3"));
    EXPECT_EQ(texts(group.dir), (QStringList{x("mnt3"), "boards"})) << "shown from its own root";
    EXPECT_EQ(group.file.Path(), x("mnt3"));

    ASSERT_TRUE(unmount("mnt3")) << std::strerror(errno);
    group.open(x("mnt3"));
    EXPECT_EQ(group.dir.Path(), x("mnt3"));
    EXPECT_EQ(group.dir.item(0)->text(), startDrive) << "the folders above the mount point are the way out";
    EXPECT_EQ(texts(group.dir).mid(texts(group.dir).size() - 2), (QStringList{"x", "mnt3"}));
    EXPECT_EQ(group.file.Path(), x("mnt3"));
#endif
}
