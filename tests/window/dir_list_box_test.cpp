// Tests of the folder list: what it shows, how it opens folders, and when it raises Change.
#include "dir_list_box.h"
#include "file_list_box.h"
#include "controls_test_support.h"
#include "ordinary_user.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

// A temporary folder that stands in for a drive, so that the list's first entry is its root.
class FolderList : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(drive.isValid());
        for (const char* folder : {"boards/Alpha/Deep", "boards/beta", "boards/Gamma", "boards/.hidden"})
            ASSERT_TRUE(QDir(drive.path()).mkpath(folder));
        QFile file(at("boards/x.pcb"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QString at(const QString& folder = {}) const
    {
        return native(folder.isEmpty() ? drive.path() : drive.filePath(folder));
    }

    QTemporaryDir drive;
    DriveSource source = [this] { return QStringList{rootDrive(), at(), missingDrive()}; };
};

QListWidgetItem* entry(const QListWidget& list, const QString& text)
{
    const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

// QTest's double-click on a widget is the second click's event alone; the first click comes before it.
void doubleClick(DirListBox& list, const QString& text)
{
    QListWidgetItem* target = entry(list, text);
    ASSERT_NE(target, nullptr) << text.toStdString();
    const QPoint at = list.visualItemRect(target).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

TEST_F(FolderList, StartsInTheCurrentFolder)
{
    EXPECT_EQ(DirListBox(source).Path(), QDir::toNativeSeparators(QDir::currentPath()));
}

TEST_F(FolderList, ShowsThePathFromTheDriveRootThenVisibleSubfoldersByName)
{
    struct Case {
        const char* name;
        QString folder;
        QStringList entries;
    };
    const std::vector<Case> cases{
        {"the drive's root", "", {at(), "boards"}},
        {"a folder with subfolders", "boards", {at(), "boards", "Alpha", "beta", "Gamma"}},
        {"two steps down", "boards/Alpha", {at(), "boards", "Alpha", "Deep"}},
        {"a folder without subfolders", "boards/Alpha/Deep", {at(), "boards", "Alpha", "Deep"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirListBox list(source);
        list.setPath(at(c.folder));
        EXPECT_EQ(list.Path(), at(c.folder));
        EXPECT_EQ(texts(list), c.entries);
    }

    DirListBox list(source);
    list.setPath(at("boards"));
    list.setPath(rootDrive());
    EXPECT_EQ(list.Path(), rootDrive()) << "a root keeps its separator";
    EXPECT_EQ(list.item(0)->text(), rootDrive());
}

TEST_F(FolderList, CodeSetFolderRaisesChangeBeforeSetPathReturnsAndNests)
{
    DirListBox list(source);
    list.setPath(at("boards"));
    QStringList seen;
    int depth = 0;
    QObject::connect(&list, &DirListBox::Change, [&] {
        ++depth;
        seen << QString("%1 %2").arg(depth).arg(list.Path());
        if (depth == 1)
            list.setPath(at("boards/Gamma"));
        --depth;
    });

    list.setPath(at("boards/beta"));
    EXPECT_EQ(seen, (QStringList{"1 " + at("boards/beta"), "2 " + at("boards/Gamma")}));
    EXPECT_EQ(list.Path(), at("boards/Gamma"));
    EXPECT_EQ(texts(list), (QStringList{at(), "boards", "Gamma"}));

    list.setPath(at("boards/Gamma"));
    EXPECT_EQ(seen.size(), 2) << "no Change when the folder stays the same";
}

TEST_F(FolderList, OperatorOpensAnEntryWithDoubleClickOrEnter)
{
    const auto doubleClickOn = [](const QString& text) {
        return [text](DirListBox& list) { doubleClick(list, text); };
    };
    const auto keys = [](std::vector<Qt::Key> presses) {
        return [presses](DirListBox& list) {
            for (Qt::Key key : presses)
                QTest::keyClick(&list, key);
        };
    };
    struct Case {
        const char* name;
        std::function<void(DirListBox&)> gesture;
        QString opened;
    };
    const std::vector<Case> cases{
        {"double-click on a subfolder", doubleClickOn("beta"), "boards/beta"},
        {"double-click on the drive's root", doubleClickOn(at()), ""},
        {"Enter on a subfolder", keys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}), "boards/beta"},
        {"Enter on the keypad on an ancestor", keys({Qt::Key_Up, Qt::Key_Enter}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirListBox list(source);
        list.resize(300, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        list.setPath(at("boards"));
        QStringList seen;
        QObject::connect(&list, &DirListBox::Change, [&] { seen << list.Path(); });

        c.gesture(list);

        EXPECT_EQ(list.Path(), at(c.opened));
        EXPECT_EQ(seen, QStringList{at(c.opened)});
    }
}

TEST_F(FolderList, FolderThatCantBeReadThrowsNamingItAndChangesNothing)
{
    struct Case {
        const char* name;
        QString text;
        QString error;
    };
    const std::vector<Case> cases{
        {"a missing folder", at("missing"),
         QString(R"(Cannot open the folder "%1": No such file or directory)").arg(at("missing"))},
        {"a file", at("boards/x.pcb"),
         QString(R"(Cannot open the folder "%1": Not a directory)").arg(at("boards/x.pcb"))},
        {"a drive that can't be read", missingDrive(),
         QString(R"(Cannot open the folder "%1": No such file or directory)").arg(missingDrive())},
        {"no text", "", R"(Cannot open the folder "": No such file or directory)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirListBox list(source);
        list.setPath(at("boards"));
        const QStringList before = texts(list);
        int changes = 0;
        QObject::connect(&list, &DirListBox::Change, [&] { ++changes; });

        EXPECT_EQ(errorOf([&] { list.setPath(c.text); }), c.error);
        EXPECT_EQ(list.Path(), at("boards"));
        EXPECT_EQ(texts(list), before);
        EXPECT_EQ(changes, 0);
    }
}

namespace {

// The operator's two ways of opening the subfolder "beta" of "boards".
const std::vector<std::pair<const char*, std::function<void(DirListBox&)>>> openingBeta{
    {"double-click", [](DirListBox& list) { doubleClick(list, "beta"); }},
    {"Enter",
     [](DirListBox& list) {
         list.setFocus();
         QTest::keyClick(&list, Qt::Key_Down);
         QTest::keyClick(&list, Qt::Key_Down);
         ASSERT_NE(list.currentItem(), nullptr);
         ASSERT_EQ(list.currentItem()->text(), "beta");
         QTest::keyClick(&list, Qt::Key_Return);
     }},
};

// Opens "beta" in a list standing in "boards", once `spoil` has made it unreadable: the list stays
// where it was, and its highlight goes back to the open folder.
void expectOpeningBetaFailsQuietly(const DriveSource& source, const QString& boards, const std::function<void()>& spoil)
{
    for (const auto& [gesture, open] : openingBeta) {
        SCOPED_TRACE(gesture);
        ASSERT_TRUE(QDir(boards).mkpath("beta"));
        DirListBox list(source);
        list.resize(300, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        list.setPath(boards);
        const QStringList before = texts(list);
        int changes = 0;
        QObject::connect(&list, &DirListBox::Change, [&] { ++changes; });
        spoil();

        ASSERT_NO_FATAL_FAILURE(open(list));

        EXPECT_EQ(list.Path(), boards);
        EXPECT_EQ(texts(list), before);
        ASSERT_NE(list.currentItem(), nullptr);
        EXPECT_EQ(list.currentItem()->text(), "boards") << "the highlight stays on the open folder";
        EXPECT_EQ(list.selectedItems().size(), 1);
        EXPECT_EQ(changes, 0);
    }
}

}  // namespace

TEST_F(FolderList, OperatorOpeningAFolderThatIsGoneStaysWhereItWas)
{
    expectOpeningBetaFailsQuietly(source, at("boards"),
                                  [this] { ASSERT_TRUE(QDir(at("boards/beta")).removeRecursively()); });
}

TEST_F(FolderList, OperatorOpeningAFolderThatMayNotBeReadStaysWhereItWas)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder's read permission is a POSIX mode; Windows folders have no such bit";
#endif
    if (test_support::RerunAsOrdinaryUser())
        return;
    const auto unlock = qScopeGuard(
        [this] { QFile::setPermissions(at("boards/beta"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
    expectOpeningBetaFailsQuietly(source, at("boards"),
                                  [this] { ASSERT_TRUE(QFile::setPermissions(at("boards/beta"), {})); });
}

// Started in a folder that may be entered but not listed, the folder list still shows the path from
// the drive's root down, so that the operator can open the folders above.
TEST_F(FolderList, StartedInAFolderThatCantBeListedShowsTheWayUp)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder that may be entered but not listed is a POSIX mode; Windows folders have none";
#endif
    if (test_support::RerunAsOrdinaryUser())
        return;
    const QString locked = at("boards/locked");
    ASSERT_TRUE(QDir(at("boards")).mkdir("locked"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    const QString before = QDir::currentPath();
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(before);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    ASSERT_TRUE(QDir::setCurrent(locked));

    DirListBox list(source);
    FileListBox files("*.pcb");
    list.resize(300, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.Path(), locked);
    EXPECT_EQ(texts(list), (QStringList{at(), "boards", "locked"}));
    ASSERT_NE(list.currentItem(), nullptr);
    EXPECT_EQ(list.currentItem()->text(), "locked");
    EXPECT_EQ(files.Path(), locked);
    EXPECT_EQ(texts(files), QStringList{});

    int changes = 0;
    QObject::connect(&list, &DirListBox::Change, [&] { ++changes; });
    doubleClick(list, "boards");
    EXPECT_EQ(list.Path(), at("boards"));
    EXPECT_EQ(texts(list), (QStringList{at(), "boards", "Alpha", "beta", "Gamma", "locked"}));
    EXPECT_EQ(changes, 1);
}

TEST_F(FolderList, DriveTextOpensThatDrivesCurrentFolder)
{
    struct Case {
        const char* name;
        QString text;
        QString opened;
    };
    const std::vector<Case> cases{
        {"the drive it stands on keeps its folder", at(), at("boards/Alpha")},
        {"written with a trailing separator", at() + QDir::separator(), at("boards/Alpha")},
        {"another drive opens at its root", rootDrive(), rootDrive()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirListBox list(source);
        list.setPath(at("boards/Alpha"));
        int changes = 0;
        QObject::connect(&list, &DirListBox::Change, [&] { ++changes; });

        list.setPath(c.text);

        EXPECT_EQ(list.Path(), c.opened);
        EXPECT_EQ(changes, c.opened == at("boards/Alpha") ? 0 : 1);
    }

    DirListBox list(source);
    list.setPath(rootDrive());
    list.setPath(at());
    EXPECT_EQ(list.Path(), at()) << "coming from another drive";
}

// The folder that the list stands in may vanish under it, and the drive text then still names a folder.
TEST_F(FolderList, DriveWhoseOpenFolderHasGoneOpensAtItsRoot)
{
    DirListBox list(source);
    list.setPath(at("boards/Alpha/Deep"));
    ASSERT_TRUE(QDir(at("boards/Alpha")).removeRecursively());
    int changes = 0;
    QObject::connect(&list, &DirListBox::Change, [&] { ++changes; });

    list.setPath(at());

    EXPECT_EQ(list.Path(), at());
    EXPECT_EQ(texts(list), (QStringList{at(), "boards"}));
    EXPECT_EQ(changes, 1);
}

// Drives come and go while the window is open (a stick plugged in or pulled, a volume mounted or
// unmounted): the list takes them as they stand when it opens a folder, not as they stood at its start.
TEST_F(FolderList, TakesTheDrivesAsTheyStandWhenItOpensAFolder)
{
    const QString root = rootDrive();
    const QStringList withDrive{root, at()};
    const QStringList withoutDrive{root};
    // The temporary folder's own name, as the list shows it below its parent.
    const QString name = QFileInfo(drive.path()).fileName();
    struct Case {
        const char* name;
        QStringList before;
        QStringList after;
        std::function<void(DirListBox&)> act;
        QString opened;
        QString firstEntry;
        QStringList lastEntries;
    };
    const auto givenAsADrive = [this](DirListBox& list) { list.setPath(at()); };
    const auto openingBoards = [](DirListBox& list) { doubleClick(list, "boards"); };
    const auto openingItsRoot = [this](DirListBox& list) { doubleClick(list, at()); };
    // The open folder "boards" and its subfolders, below the entry above it.
    const QStringList onTheDrive{at(), "boards", "Alpha", "beta", "Gamma"};
    const QStringList onRoot{name, "boards", "Alpha", "beta", "Gamma"};
    const std::vector<Case> cases{
        {"a drive that appeared", withoutDrive, withDrive, givenAsADrive, at("boards"), at(), onTheDrive},
        {"its drive gone, its folder opened", withDrive, withoutDrive, openingBoards, at("boards"), root, onRoot},
        {"its drive gone, its root opened", withDrive, withoutDrive, openingItsRoot, at(), root, {name, "boards"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList present = c.before;
        DirListBox list([&] { return present; });
        list.resize(300, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        list.setPath(at("boards"));
        present = c.after;

        ASSERT_NO_FATAL_FAILURE(c.act(list));

        EXPECT_EQ(list.Path(), c.opened);
        ASSERT_GE(list.count(), c.lastEntries.size());
        EXPECT_EQ(list.item(0)->text(), c.firstEntry);
        EXPECT_EQ(texts(list).mid(list.count() - c.lastEntries.size()), c.lastEntries);
    }
}

// Ten folders down, the narrow list cuts every name short; resting the pointer on an entry tells its
// whole path.
TEST_F(FolderList, RestingThePointerOnAnEntryShowsItsWholePath)
{
    QString deep = "boards";
    for (int level = 1; level <= 10; ++level)
        deep += QString("/level %1 of the project tree").arg(level);
    ASSERT_TRUE(QDir(drive.path()).mkpath(deep + "/gerber output"));
    DirListBox list(source);
    // The folder lists' size in the window: 2295 x 990 twips.
    list.resize(153, 66);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.setPath(at(deep));
    const QListWidgetItem* deepest = entry(list, "level 10 of the project tree");
    ASSERT_NE(deepest, nullptr);
    ASSERT_GT(list.fontMetrics().horizontalAdvance(deepest->text()) + 8 * 11, list.viewport()->width())
        << "the deep names are cut short";

    const struct {
        QString entry;
        QString path;
    } cases[] = {
        {at(), at()},
        {"boards", at("boards")},
        {"level 5 of the project tree", at(deep.section('/', 0, 5))},
        {"level 10 of the project tree", at(deep)},
        {"gerber output", at(deep + "/gerber output")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry.toStdString());
        const QList<QListWidgetItem*> found = list.findItems(c.entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list.scrollToItem(found.first());
        const QRect rect = list.visualItemRect(found.first());

        QHelpEvent rest(QEvent::ToolTip, rect.center(), list.viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(list.viewport(), &rest);

        EXPECT_TRUE(QToolTip::isVisible());
        EXPECT_EQ(QToolTip::text(), c.path);
        QToolTip::hideText();
    }
}
