// Tests of Form1's handlers, driven as the operator drives them, from the drive lists to "Start".
#include "dir_list_box.h"
#include "drive_list_box.h"
#include "file_list_box.h"
#include "form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

namespace {

const QByteArray board = "(pcbDesign \"demo\"\n  (drawPolygons True)\n)\n";
const QByteArray apertures = "D10 ROUND 010.0 020.0 030.0\nnot an aperture\n";
const QByteArray merged =
    "(pcbDesign \"demo\"\r\n  (drawPolygons True)\r\n"
    "(apertureDef\r\n(dCode 10 )\r\n(apertureShape Ellipse)\r\n(width 010)\r\n(height 030)\r\n"
    "(holeDiam 0)\r\n(desc \"\")\r\n)\r\n"
    ")\r\n";

const QString boardName = QStringLiteral(u"Platine-ö.pcb");
const QString aperturesName = QStringLiteral(u"Blenden.gap");
const QString defaultOutputName = QStringLiteral(u"New_Platine-ö.pcb");

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

void write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QStringList entries(const QListWidget& list)
{
    QStringList names;
    for (int row = 0; row < list.count(); ++row)
        names << list.item(row)->text();
    return names;
}

class Form1Handlers : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temporary.isValid());
        // A name beyond ASCII shows that paths reach the merge without loss.
        folder = QDir::toNativeSeparators(temporary.filePath(QStringLiteral(u"Bäume")));
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QDir().mkpath(in(QStringLiteral("elsewhere"))));
        write(in(boardName), board);
        write(in(aperturesName), apertures);
        write(in(QStringLiteral("notes.txt")), "not for either list\n");
    }

    QString in(const QString& name) const { return folder + QDir::separator() + name; }

    Form1& form(DriveSource drives = machineDrives)
    {
        if (!window) {
            window = std::make_unique<Form1>(drives);
            window->setErrorReporter([this](const QString& message) { errors << message; });
            window->show();
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        }
        return *window;
    }

    template <typename Control>
    Control& child(const char* name)
    {
        auto* found = form().findChild<Control*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }

    QString status() { return child<QLabel>("status").text(); }
    QString box() { return child<QLineEdit>("Text1").text(); }

    void openFolders(const QString& where)
    {
        child<DirListBox>("Dir1").setPath(where);
        child<DirListBox>("Dir2").setPath(where);
    }

    void click(const char* fileList, const QString& name)
    {
        auto& list = child<FileListBox>(fileList);
        const QList<QListWidgetItem*> found = list.findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << fileList << " lacks " << name.toStdString();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(found.first()).center());
    }

    void pressStart() { QTest::mouseClick(&child<QPushButton>("Command1"), Qt::LeftButton); }

    void typeIntoBox(const QString& text)
    {
        auto& box = child<QLineEdit>("Text1");
        box.setFocus();
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(&box, Qt::Key_Backspace);
        // keyClicks() knows ASCII only; the folder's name is beyond it.
        for (const QChar character : text)
            QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }

    QTemporaryDir temporary;
    QString folder;
    QStringList errors;
    std::unique_ptr<Form1> window;
};

TEST_F(Form1Handlers, OneRequestFromStartToComplete)
{
    EXPECT_EQ(status(), QStringLiteral("Select .pcb File"));
    openFolders(folder);
    EXPECT_EQ(entries(child<FileListBox>("File1")), QStringList{boardName});
    EXPECT_EQ(entries(child<FileListBox>("File2")), QStringList{aperturesName});

    click("File1", boardName);
    EXPECT_EQ(box(), folder + QDir::separator() + defaultOutputName);
    EXPECT_EQ(status(), QStringLiteral("Select .gap file"));

    click("File2", aperturesName);
    EXPECT_EQ(box(), folder + QDir::separator() + defaultOutputName);
    EXPECT_EQ(status(), QStringLiteral("Push 'START'"));

    pressStart();
    EXPECT_EQ(status(), QStringLiteral("Complete"));
    EXPECT_EQ(contentOf(in(defaultOutputName)), merged);
    EXPECT_EQ(contentOf(in(boardName)), board);
    EXPECT_EQ(contentOf(in(aperturesName)), apertures);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// What the operator does, step by step, and the status text that each step leaves.
enum class Act { ClickBoard, ClickApertures, Start, TypeOwnOutput, EmptyBox, MoveFolders, SpoilOutputs };

struct Step {
    Act act;
    const char* status;
};

struct Script {
    const char* name;
    std::vector<Step> steps;
    QStringList mergedInto;  // the files that end up holding the merge; no other file is written
    int failures = 0;
};

void PrintTo(const Script& script, std::ostream* out)
{
    *out << script.name;
}

const QString ownOutputName = QStringLiteral("mine.out");

class Form1Script : public Form1Handlers, public testing::WithParamInterface<Script> {
protected:
    void perform(Act act)
    {
        switch (act) {
        case Act::ClickBoard:
            return click("File1", boardName);
        case Act::ClickApertures:
            return click("File2", aperturesName);
        case Act::Start:
            return pressStart();
        case Act::TypeOwnOutput:
            return typeIntoBox(in(ownOutputName));
        case Act::EmptyBox:
            return typeIntoBox({});
        case Act::MoveFolders:
            return openFolders(in(QStringLiteral("elsewhere")));
        case Act::SpoilOutputs:
            for (const QString& name : {defaultOutputName, ownOutputName})
                if (QFile::exists(in(name)))
                    write(in(name), "old\n");
            return;
        }
    }
};

TEST_P(Form1Script, StatusFollowsEachStep)
{
    const Script& script = GetParam();
    openFolders(folder);
    for (std::size_t number = 0; number < script.steps.size(); ++number) {
        perform(script.steps[number].act);
        EXPECT_EQ(status(), QString::fromLatin1(script.steps[number].status)) << "after step " << number + 1;
    }

    QStringList written = QDir(folder).entryList(QDir::Files);
    written.removeAll(boardName);
    written.removeAll(aperturesName);
    written.removeAll(QStringLiteral("notes.txt"));
    written.sort();
    QStringList expected = script.mergedInto;
    expected.sort();
    EXPECT_EQ(written, expected);
    for (const QString& name : script.mergedInto)
        EXPECT_EQ(contentOf(in(name)), merged) << name.toStdString();
    EXPECT_TRUE(QDir(in(QStringLiteral("elsewhere"))).isEmpty());
    EXPECT_EQ(errors.size(), script.failures) << errors.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Form1, Form1Script,
    testing::Values(
        Script{"NothingChosen", {{Act::Start, "SELECT FILES FIRST"}}, {}},
        Script{"BoardOnly",
               {{Act::ClickBoard, "Select .gap file"}, {Act::Start, "SELECT FILES FIRST"}},
               {}},
        Script{"AperturesFirst",
               {{Act::ClickApertures, "Push 'START'"},
                {Act::Start, "SELECT FILES FIRST"},
                {Act::ClickBoard, "Select .gap file"},
                {Act::Start, "Complete"}},
               {defaultOutputName}},
        Script{"StartTwiceWritesAnew",
               {{Act::ClickBoard, "Select .gap file"},
                {Act::ClickApertures, "Push 'START'"},
                {Act::Start, "Complete"},
                {Act::SpoilOutputs, "Complete"},
                {Act::Start, "Complete"}},
               {defaultOutputName}},
        Script{"BoardAgainAfterComplete",
               {{Act::ClickBoard, "Select .gap file"},
                {Act::ClickApertures, "Push 'START'"},
                {Act::Start, "Complete"},
                {Act::SpoilOutputs, "Complete"},
                {Act::ClickBoard, "Select .gap file"},
                {Act::Start, "Complete"}},
               {defaultOutputName}},
        Script{"BoxEditedAfterTheBoard",
               {{Act::ClickBoard, "Select .gap file"},
                {Act::TypeOwnOutput, "Select .gap file"},
                {Act::ClickApertures, "Push 'START'"},
                {Act::Start, "Complete"}},
               {ownOutputName}},
        Script{"BoardAgainReplacesAnEdit",
               {{Act::TypeOwnOutput, "Select .pcb File"},
                {Act::ClickBoard, "Select .gap file"},
                {Act::ClickApertures, "Push 'START'"},
                {Act::TypeOwnOutput, "Push 'START'"},
                {Act::ClickBoard, "Select .gap file"},
                {Act::Start, "Complete"}},
               {defaultOutputName}},
        Script{"FoldersMovedAfterTheClicks",
               {{Act::ClickBoard, "Select .gap file"},
                {Act::ClickApertures, "Push 'START'"},
                {Act::MoveFolders, "Push 'START'"},
                {Act::Start, "Complete"}},
               {defaultOutputName}},
        Script{"EmptiedBox",
               {{Act::ClickBoard, "Select .gap file"},
                {Act::ClickApertures, "Push 'START'"},
                {Act::EmptyBox, "Push 'START'"},
                {Act::Start, "MERGE FAILED"}},
               {},
               1}),
    [](const testing::TestParamInfo<Script>& info) { return std::string(info.param.name); });

TEST_F(Form1Handlers, FolderAtADriveRootGetsASecondSeparator)
{
    const QString root = QDir::toNativeSeparators(QDir::rootPath());
    // Offered as a drive, the root would open the folder the list already has open on it.
    form([this] { return QStringList{QDir::toNativeSeparators(temporary.path())}; });
    child<DirListBox>("Dir1").setPath(root);
    ASSERT_EQ(child<FileListBox>("File1").Path(), root);
    // No board file lies at the root, so the list reports a click with no name selected.
    emit child<FileListBox>("File1").Click();
    EXPECT_EQ(box(), root + QDir::separator() + QStringLiteral("New_"));
    EXPECT_EQ(status(), QStringLiteral("Select .gap file"));
}

struct Group {
    const char* drive;
    const char* folders;
    const char* files;
    const char* otherDrive;
    const char* otherFolders;
    const char* otherFiles;
    const char* fileOnDrive;
};

void PrintTo(const Group& group, std::ostream* out)
{
    *out << group.drive;
}

class Form1Drives : public Form1Handlers, public testing::WithParamInterface<Group> {};

// The drives offered: the root, one in the temporary folder, and one that can't be read.
TEST_P(Form1Drives, ADriveMovesItsGroupAloneAndOneThatCantBeReadIsUndone)
{
    const Group& group = GetParam();
    const QString readable = QDir::toNativeSeparators(temporary.filePath(QStringLiteral("drive")));
    const QString unreadable = QDir::toNativeSeparators(temporary.filePath(QStringLiteral("not ready")));
    ASSERT_TRUE(QDir().mkpath(readable));
    write(readable + QDir::separator() + QStringLiteral("d.pcb"), board);
    write(readable + QDir::separator() + QStringLiteral("d.gap"), apertures);
    const QString root = QDir::toNativeSeparators(QDir::rootPath());
    form([=] { return QStringList{root, readable, unreadable}; });

    openFolders(folder);
    click("File1", boardName);
    click("File2", aperturesName);
    const QString proposed = box();
    auto& drive = child<DriveListBox>(group.drive);
    auto& folders = child<DirListBox>(group.folders);
    auto& files = child<FileListBox>(group.files);
    auto& otherDrive = child<DriveListBox>(group.otherDrive);
    auto& otherFolders = child<DirListBox>(group.otherFolders);
    auto& otherFiles = child<FileListBox>(group.otherFiles);
    const auto otherGroup = [&] { return QStringList{otherDrive.Drive(), otherFolders.Path(), otherFiles.Path()}; };
    const QStringList otherBefore = otherGroup();
    ASSERT_EQ(drive.Drive(), root);

    drive.setFocus();
    QTest::keyClick(&drive, Qt::Key_Down);
    EXPECT_EQ(drive.Drive(), readable);
    EXPECT_EQ(folders.Path(), readable);
    EXPECT_EQ(files.Path(), readable);
    EXPECT_EQ(entries(files), QStringList{QString::fromLatin1(group.fileOnDrive)});

    QTest::keyClick(&drive, Qt::Key_Down);
    EXPECT_EQ(drive.Drive(), readable);
    EXPECT_EQ(folders.Path(), readable);
    EXPECT_EQ(files.Path(), readable);
    EXPECT_EQ(entries(files), QStringList{QString::fromLatin1(group.fileOnDrive)});

    EXPECT_EQ(otherGroup(), otherBefore);
    EXPECT_EQ(status(), QStringLiteral("Push 'START'"));
    EXPECT_EQ(box(), proposed);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();

    // The chosen files are still the ones clicked before the moves.
    pressStart();
    EXPECT_EQ(status(), QStringLiteral("Complete"));
    EXPECT_EQ(contentOf(in(defaultOutputName)), merged);
    EXPECT_FALSE(QFile::exists(readable + QDir::separator() + QStringLiteral("New_d.pcb")));
}

INSTANTIATE_TEST_SUITE_P(Form1, Form1Drives,
                         testing::Values(Group{"Drive1", "Dir1", "File1", "Drive2", "Dir2", "File2", "d.pcb"},
                                         Group{"Drive2", "Dir2", "File2", "Drive1", "Dir1", "File1", "d.gap"}),
                         [](const testing::TestParamInfo<Group>& info) { return std::string(info.param.drive); });

// A folder handler catches nothing: a folder gone by the time its file list follows reaches the
// operator through the dispatch, and the file list stays where it was.
TEST_F(Form1Handlers, AFolderGoneBeforeItsFileListFollowsIsReported)
{
    for (const auto& [dirName, fileName] : {std::pair{"Dir1", "File1"}, std::pair{"Dir2", "File2"}}) {
        SCOPED_TRACE(dirName);
        errors.clear();
        const QString gone = in(QStringLiteral("gone"));
        ASSERT_TRUE(QDir().mkpath(gone));
        openFolders(folder);
        auto& folders = child<DirListBox>(dirName);
        auto& files = child<FileListBox>(fileName);
        const QStringList shown = entries(files);
        {
            const QSignalBlocker notYet(folders);
            folders.setPath(gone);
        }
        ASSERT_TRUE(QDir(gone).removeRecursively());

        emit folders.Change();

        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors.first().contains(gone)) << errors.first().toStdString();
        EXPECT_EQ(files.Path(), folder);
        EXPECT_EQ(entries(files), shown);
        EXPECT_EQ(status(), QStringLiteral("Select .pcb File"));
        EXPECT_TRUE(form().isVisible());
    }
}

TEST_F(Form1Handlers, AFailedMergeSaysSoAndLeavesTheOutputAlone)
{
    openFolders(folder);
    click("File1", boardName);
    click("File2", aperturesName);
    write(in(defaultOutputName), "old\n");
    const QString boardPath = in(boardName);
    ASSERT_TRUE(QFile::rename(boardPath, in(QStringLiteral("moved away"))));

    pressStart();
    EXPECT_EQ(status(), QStringLiteral("MERGE FAILED"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(boardPath)) << errors.first().toStdString();
    EXPECT_EQ(contentOf(in(defaultOutputName)), "old\n");

    // The paths stay set: once the board file is back, "Start" merges.
    ASSERT_TRUE(QFile::rename(in(QStringLiteral("moved away")), boardPath));
    pressStart();
    EXPECT_EQ(status(), QStringLiteral("Complete"));
    EXPECT_EQ(contentOf(in(defaultOutputName)), merged);
    EXPECT_EQ(errors.size(), 1);
}

TEST_F(Form1Handlers, AFailureIsShownInAMessageBoxThatLeavesTheWindowOpen)
{
    Form1 own;
    own.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&own));
    auto* folders = own.findChild<DirListBox*>(QStringLiteral("Dir1"));
    folders->setPath(folder);
    own.findChild<DirListBox*>(QStringLiteral("Dir2"))->setPath(folder);
    for (const auto& [list, name] : {std::pair{"File1", boardName}, std::pair{"File2", aperturesName}}) {
        auto* files = own.findChild<FileListBox*>(QString::fromLatin1(list));
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->findItems(name, Qt::MatchExactly).value(0)).center());
    }
    ASSERT_TRUE(QFile::remove(in(boardName)));

    QTest::mouseClick(own.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    auto* box = own.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(box->text().contains(in(boardName))) << box->text().toStdString();
    EXPECT_TRUE(own.isVisible());
    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return own.findChild<QMessageBox*>() == nullptr; }));
    EXPECT_TRUE(own.isVisible());
}

}  // namespace
