// Tests of the folder list: what it shows, how it opens folders, and when it raises Change.
#include "dir_list_box.h"
#include "controls_test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>


namespace {

// A temporary folder that stands in for a drive, so that the list's first entry is its root.
class DirListBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(drive.isValid());
        for (const char* folder : {"boards/Alpha/Deep", "boards/beta", "boards/Gamma", "boards/.hidden"})
            ASSERT_TRUE(QDir(drive.path()).mkpath(folder));
        QFile file(at("boards/x.pcb"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QString at(const QString& folder) const { return folder.isEmpty() ? drive.path() : drive.filePath(folder); }

    QTemporaryDir drive;
    DriveSource source = [this] { return QStringList{"/", drive.path(), "/nonexistent-drive"}; };
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

}

TEST_F(DirListBoxTest, startsInTheCurrentFolder)
{
    EXPECT_EQ(DirListBox(source).Path(), QDir::toNativeSeparators(QDir::currentPath()));
}

TEST_F(DirListBoxTest, showsThePathFromTheDriveRootThenVisibleSubfoldersByName)
{
    struct Case {
        const char* name;
        QString folder;
        QStringList entries;
    };
    const std::vector<Case> cases{
        {"the drive's root", "", {drive.path(), "boards"}},
        {"a folder with subfolders", "boards", {drive.path(), "boards", "Alpha", "beta", "Gamma"}},
        {"two steps down", "boards/Alpha", {drive.path(), "boards", "Alpha", "Deep"}},
        {"a folder without subfolders", "boards/Alpha/Deep", {drive.path(), "boards", "Alpha", "Deep"}},
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
    list.setPath("/");
    EXPECT_EQ(list.Path(), "/") << "a root keeps its separator";
    EXPECT_EQ(list.item(0)->text(), "/");
}

TEST_F(DirListBoxTest, codeSetFolderRaisesChangeBeforeSetPathReturnsAndNests)
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
    EXPECT_EQ(texts(list), (QStringList{drive.path(), "boards", "Gamma"}));

    list.setPath(at("boards/Gamma"));
    EXPECT_EQ(seen.size(), 2) << "no Change when the folder stays the same";
}

TEST_F(DirListBoxTest, operatorOpensAnEntryWithDoubleClickOrEnter)
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
        {"double-click on the drive's root", doubleClickOn(drive.path()), ""},
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

TEST_F(DirListBoxTest, folderThatCantBeReadThrowsNamingItAndChangesNothing)
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
        {"a drive that can't be read", "/nonexistent-drive",
            R"(Cannot open the folder "/nonexistent-drive": No such file or directory)"},
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

TEST_F(DirListBoxTest, operatorOpeningAFolderThatCantBeReadStaysWhereItWas)
{
    DirListBox list(source);
    list.resize(300, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.setPath(at("boards"));
    const QStringList before = texts(list);
    int changes = 0;
    QObject::connect(&list, &DirListBox::Change, [&] { ++changes; });
    ASSERT_TRUE(QDir(at("boards/beta")).removeRecursively());

    doubleClick(list, "beta");

    EXPECT_EQ(list.Path(), at("boards"));
    EXPECT_EQ(texts(list), before);
    EXPECT_EQ(changes, 0);
}

TEST_F(DirListBoxTest, driveTextOpensThatDrivesCurrentFolder)
{
    struct Case {
        const char* name;
        QString text;
        QString opened;
    };
    const std::vector<Case> cases{
        {"the drive it stands on keeps its folder", drive.path(), at("boards/Alpha")},
        {"written with a trailing separator", drive.path() + "/", at("boards/Alpha")},
        {"another drive opens at its root", "/", "/"},
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
    list.setPath("/");
    list.setPath(drive.path());
    EXPECT_EQ(list.Path(), drive.path()) << "coming from another drive";
}
