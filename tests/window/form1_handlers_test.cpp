// Tests of Form1's handlers, driven as the operator drives them, from the drive lists to "Start".
#include "controls_test_support.h"
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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
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

// One drive list, folder list and file list: the board group (1) or the aperture group (2).
struct Picker {
    DriveListBox* drive;
    DirListBox* folders;
    FileListBox* files;
};

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

        {
            // The lists start in the program's current folder.
            const QString current = QDir::currentPath();
            if (startsInTheFolder) {
                ASSERT_TRUE(QDir::setCurrent(folder));
            }
            window = std::make_unique<Form1>(offered);
            QDir::setCurrent(current);
        }
        if (!reportsInItsOwnBox)
            window->setErrorReporter([this](const QString& message) { errors << message; });
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        // A missing control throws here, which ends SetUp, and the test then doesn't run.
        Drive1 = &childNamed<DriveListBox>(*window, "Drive1");
        Dir1 = &childNamed<DirListBox>(*window, "Dir1");
        File1 = &childNamed<FileListBox>(*window, "File1");
        Drive2 = &childNamed<DriveListBox>(*window, "Drive2");
        Dir2 = &childNamed<DirListBox>(*window, "Dir2");
        File2 = &childNamed<FileListBox>(*window, "File2");
        Text1 = &childNamed<QLineEdit>(*window, "Text1");
        status = &childNamed<QLabel>(*window, "status");
        Command1 = &childNamed<QPushButton>(*window, "Command1");
    }

    QString in(const QString& name) const { return folder + QDir::separator() + name; }

    Picker group(int number) const { return number == 1 ? Picker{Drive1, Dir1, File1} : Picker{Drive2, Dir2, File2}; }

    void openFolders(const QString& where)
    {
        Dir1->setPath(where);
        Dir2->setPath(where);
    }

    void pressStart() { QTest::mouseClick(Command1, Qt::LeftButton); }

    void typeIntoBox(const QString& text)
    {
        Text1->setFocus();
        QTest::keyClick(Text1, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(Text1, Qt::Key_Backspace);
        // keyClicks() knows ASCII only; the folder's name is beyond it.
        for (const QChar character : text)
            QTest::sendKeyEvent(QTest::Click, Text1, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }

    // What a fixture below may change before SetUp opens the window.
    DriveSource offered = machineDrives;
    bool reportsInItsOwnBox = false;
    bool startsInTheFolder = false;

    QTemporaryDir temporary;
    QString folder;
    QStringList errors;
    std::unique_ptr<Form1> window;
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    DriveListBox* Drive2 = nullptr;
    DirListBox* Dir2 = nullptr;
    FileListBox* File2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* status = nullptr;
    QPushButton* Command1 = nullptr;
};

TEST_F(Form1Handlers, OneRequestFromStartToComplete)
{
    EXPECT_EQ(status->text(), QStringLiteral("Select .pcb File"));
    openFolders(folder);
    EXPECT_EQ(texts(*File1), QStringList{boardName});
    EXPECT_EQ(texts(*File2), QStringList{aperturesName});

    ASSERT_NO_FATAL_FAILURE(click(*File1, boardName));
    EXPECT_EQ(Text1->text(), folder + QDir::separator() + defaultOutputName);
    EXPECT_EQ(status->text(), QStringLiteral("Select .gap file"));

    ASSERT_NO_FATAL_FAILURE(click(*File2, aperturesName));
    EXPECT_EQ(Text1->text(), folder + QDir::separator() + defaultOutputName);
    EXPECT_EQ(status->text(), QStringLiteral("Push 'START'"));

    pressStart();
    EXPECT_EQ(status->text(), QStringLiteral("Complete"));
    EXPECT_EQ(contentOf(in(defaultOutputName)), merged);
    EXPECT_EQ(contentOf(in(boardName)), board);
    EXPECT_EQ(contentOf(in(aperturesName)), apertures);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// The window opens in the folder that holds one board file and one aperture list.
class Form1ByKeyboard : public Form1Handlers {
protected:
    Form1ByKeyboard() { startsInTheFolder = true; }

    // The key goes where the operator's would: to the control that has the focus.
    static QWidget* press(Qt::Key key)
    {
        QTest::keyClick(QApplication::focusWidget(), key);
        return QApplication::focusWidget();
    }
};

TEST_F(Form1ByKeyboard, WholeRoadFromStartToComplete)
{
    ASSERT_EQ(QApplication::focusWidget(), Command1);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(press(Qt::Key_Tab), File1);
    press(Qt::Key_Down);
    EXPECT_EQ(Text1->text(), in(defaultOutputName));
    EXPECT_EQ(status->text(), QStringLiteral("Select .gap file"));

    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(press(Qt::Key_Tab), File2);
    press(Qt::Key_Down);
    EXPECT_EQ(status->text(), QStringLiteral("Push 'START'"));

    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(press(Qt::Key_Tab), Command1);
    press(Qt::Key_Return);
    EXPECT_EQ(status->text(), QStringLiteral("Complete"));
    EXPECT_EQ(contentOf(in(defaultOutputName)), merged);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// Each key that changes the choice runs the list's click handler, as a click on the entry does; one
// that finds the choice where it goes runs nothing.
TEST_F(Form1ByKeyboard, ArrowsHomeAndEndChooseAsAClickDoes)
{
    const QStringList boards{QStringLiteral("Anfang.pcb"), boardName, QStringLiteral("Zuletzt.pcb")};
    const QStringList lists{QStringLiteral("Anfang.gap"), aperturesName, QStringLiteral("Zuletzt.gap")};
    for (const QString& name : {boards.first(), boards.last(), lists.first(), lists.last()})
        write(in(name), "\n");
    File1->setPath(folder);
    File2->setPath(folder);
    ASSERT_EQ(texts(*File1), boards);
    ASSERT_EQ(texts(*File2), lists);

    constexpr int none = -1;
    struct Case {
        const char* name;
        int chosenBefore;  // by a click; with none, the focus comes by Tab
        Qt::Key key;
        int chosenAfter;  // none: the key runs no handler
    };
    // clang-format off
    const Case cases[] = {
        {"Down with nothing chosen",    none, Qt::Key_Down, 0},
        {"Up with nothing chosen",      none, Qt::Key_Up,   0},
        {"Home with nothing chosen",    none, Qt::Key_Home, 0},
        {"End with nothing chosen",     none, Qt::Key_End,  2},
        {"Down",                        0,    Qt::Key_Down, 1},
        {"Up",                          2,    Qt::Key_Up,   1},
        {"Home",                        2,    Qt::Key_Home, 0},
        {"End",                         0,    Qt::Key_End,  2},
        {"Down at the last entry",      2,    Qt::Key_Down, none},
        {"Up at the first entry",       0,    Qt::Key_Up,   none},
        {"Home at the first entry",     0,    Qt::Key_Home, none},
        {"End at the last entry",       2,    Qt::Key_End,  none},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (const int number : {1, 2}) {
            SCOPED_TRACE(std::string(c.name) + " in File" + std::to_string(number));
            const Picker picker = group(number);
            const QStringList& names = number == 1 ? boards : lists;
            picker.files->setPath(folder);
            if (c.chosenBefore == none) {
                picker.folders->setFocus();
                ASSERT_EQ(press(Qt::Key_Tab), picker.files);
            } else {
                ASSERT_NO_FATAL_FAILURE(click(*picker.files, names[c.chosenBefore]));
            }
            // What the handlers set, put out of their way.
            Text1->setText(QStringLiteral("typed"));
            status->clear();

            press(c.key);

            const int chosen = c.chosenAfter == none ? c.chosenBefore : c.chosenAfter;
            EXPECT_EQ(picker.files->FileName(), chosen == none ? QString() : names[chosen]);
            const bool ran = c.chosenAfter != none;
            const QString handlersStatus = number == 1 ? "Select .gap file" : "Push 'START'";
            EXPECT_EQ(status->text(), ran ? handlersStatus : QString());
            const bool proposed = ran && number == 1;
            EXPECT_EQ(Text1->text(), proposed ? folder + QDir::separator() + "New_" + names[chosen] : "typed");
        }
    }
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
            return click(*File1, boardName);
        case Act::ClickApertures:
            return click(*File2, aperturesName);
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
        ASSERT_NO_FATAL_FAILURE(perform(script.steps[number].act)) << "in step " << number + 1;
        EXPECT_EQ(status->text(), QString::fromLatin1(script.steps[number].status)) << "after step " << number + 1;
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

INSTANTIATE_TEST_SUITE_P(Form1, Form1Script,
                         testing::Values(Script{"NothingChosen", {{Act::Start, "SELECT FILES FIRST"}}, {}},
                                         Script{"BoardOnly",
                                                {{Act::ClickBoard, "Select .gap file"},
                                                 {Act::Start, "SELECT FILES FIRST"}},
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

// Offered as a drive, the root would open the folder the list already has open on it.
class Form1AtADriveRoot : public Form1Handlers {
protected:
    Form1AtADriveRoot()
    {
        offered = [this] { return QStringList{QDir::toNativeSeparators(temporary.path())}; };
    }
};

TEST_F(Form1AtADriveRoot, FolderAtADriveRootGetsASecondSeparator)
{
    const QString root = QDir::toNativeSeparators(QDir::rootPath());
    Dir1->setPath(root);
    ASSERT_EQ(File1->Path(), root);
    // No board file lies at the root, so the list reports a click with no name selected.
    emit File1->Click();
    EXPECT_EQ(Text1->text(), root + QDir::separator() + QStringLiteral("New_"));
    EXPECT_EQ(status->text(), QStringLiteral("Select .gap file"));
}

struct Group {
    int number;
    const char* fileOnDrive;
};

void PrintTo(const Group& group, std::ostream* out)
{
    *out << "Drive" << group.number;
}

// The drives offered: the root, one in the temporary folder, and one that can't be read.
class Form1Drives : public Form1Handlers, public testing::WithParamInterface<Group> {
protected:
    Form1Drives()
    {
        offered = [this] { return QStringList{root, readable, unreadable}; };
    }

    const QString root = QDir::toNativeSeparators(QDir::rootPath());
    const QString readable = QDir::toNativeSeparators(temporary.filePath(QStringLiteral("drive")));
    const QString unreadable = QDir::toNativeSeparators(temporary.filePath(QStringLiteral("not ready")));
};

TEST_P(Form1Drives, ADriveMovesItsGroupAloneAndOneThatCantBeReadIsUndone)
{
    const Group& param = GetParam();
    ASSERT_TRUE(QDir().mkpath(readable));
    write(readable + QDir::separator() + QStringLiteral("d.pcb"), board);
    write(readable + QDir::separator() + QStringLiteral("d.gap"), apertures);

    openFolders(folder);
    ASSERT_NO_FATAL_FAILURE(click(*File1, boardName));
    ASSERT_NO_FATAL_FAILURE(click(*File2, aperturesName));
    const QString proposed = Text1->text();
    const Picker moved = group(param.number);
    const Picker other = group(3 - param.number);
    const auto otherGroup = [&] {
        return QStringList{other.drive->Drive(), other.folders->Path(), other.files->Path()};
    };
    const QStringList otherBefore = otherGroup();
    ASSERT_EQ(moved.drive->Drive(), root);

    moved.drive->setFocus();
    QTest::keyClick(moved.drive, Qt::Key_Down);
    EXPECT_EQ(moved.drive->Drive(), readable);
    EXPECT_EQ(moved.folders->Path(), readable);
    EXPECT_EQ(moved.files->Path(), readable);
    EXPECT_EQ(texts(*moved.files), QStringList{QString::fromLatin1(param.fileOnDrive)});

    QTest::keyClick(moved.drive, Qt::Key_Down);
    EXPECT_EQ(moved.drive->Drive(), readable);
    EXPECT_EQ(moved.folders->Path(), readable);
    EXPECT_EQ(moved.files->Path(), readable);
    EXPECT_EQ(texts(*moved.files), QStringList{QString::fromLatin1(param.fileOnDrive)});

    EXPECT_EQ(otherGroup(), otherBefore);
    EXPECT_EQ(status->text(), QStringLiteral("Push 'START'"));
    EXPECT_EQ(Text1->text(), proposed);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();

    // The chosen files are still the ones clicked before the moves.
    pressStart();
    EXPECT_EQ(status->text(), QStringLiteral("Complete"));
    EXPECT_EQ(contentOf(in(defaultOutputName)), merged);
    EXPECT_FALSE(QFile::exists(readable + QDir::separator() + QStringLiteral("New_d.pcb")));
}

INSTANTIATE_TEST_SUITE_P(Form1, Form1Drives, testing::Values(Group{1, "d.pcb"}, Group{2, "d.gap"}),
                         [](const testing::TestParamInfo<Group>& info) {
                             return "Drive" + std::to_string(info.param.number);
                         });

// A folder handler catches nothing: a folder gone by the time its file list follows reaches the
// operator through the dispatch, and the file list stays where it was.
TEST_F(Form1Handlers, AFolderGoneBeforeItsFileListFollowsIsReported)
{
    for (const int number : {1, 2}) {
        SCOPED_TRACE("group " + std::to_string(number));
        const auto [drive, folders, files] = group(number);
        errors.clear();
        const QString gone = in(QStringLiteral("gone"));
        ASSERT_TRUE(QDir().mkpath(gone));
        openFolders(folder);
        const QStringList shown = texts(*files);
        {
            const QSignalBlocker notYet(folders);
            folders->setPath(gone);
        }
        ASSERT_TRUE(QDir(gone).removeRecursively());

        emit folders->Change();

        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors.first().contains(gone)) << errors.first().toStdString();
        EXPECT_EQ(files->Path(), folder);
        EXPECT_EQ(texts(*files), shown);
        EXPECT_EQ(status->text(), QStringLiteral("Select .pcb File"));
        EXPECT_TRUE(window->isVisible());
    }
}

TEST_F(Form1Handlers, AFailedMergeSaysSoAndLeavesTheOutputAlone)
{
    openFolders(folder);
    ASSERT_NO_FATAL_FAILURE(click(*File1, boardName));
    ASSERT_NO_FATAL_FAILURE(click(*File2, aperturesName));
    write(in(defaultOutputName), "old\n");
    const QString boardPath = in(boardName);
    ASSERT_TRUE(QFile::rename(boardPath, in(QStringLiteral("moved away"))));

    pressStart();
    EXPECT_EQ(status->text(), QStringLiteral("MERGE FAILED"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(boardPath)) << errors.first().toStdString();
    EXPECT_EQ(contentOf(in(defaultOutputName)), "old\n");

    // The paths stay set: once the board file is back, "Start" merges.
    ASSERT_TRUE(QFile::rename(in(QStringLiteral("moved away")), boardPath));
    pressStart();
    EXPECT_EQ(status->text(), QStringLiteral("Complete"));
    EXPECT_EQ(contentOf(in(defaultOutputName)), merged);
    EXPECT_EQ(errors.size(), 1);
}

// The window as the program shows it: a failure in a message box of its own.
class Form1ErrorBox : public Form1Handlers {
protected:
    Form1ErrorBox() { reportsInItsOwnBox = true; }
};

TEST_F(Form1ErrorBox, AFailureIsShownInAWindowModalBoxAndTheWindowStaysOpen)
{
    openFolders(folder);
    ASSERT_NO_FATAL_FAILURE(click(*File1, boardName));
    ASSERT_NO_FATAL_FAILURE(click(*File2, aperturesName));
    ASSERT_TRUE(QFile::remove(in(boardName)));

    pressStart();
    auto* box = window->findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(box->text().contains(in(boardName))) << box->text().toStdString();

    // Until OK is pressed the window takes no click, "Exit" included. The clicks go through the window,
    // as the platform delivers them; one sent to the button itself would pass the box by.
    auto* exit = &childNamed<QPushButton>(*window, "Command2");
    const auto clickThroughTheWindow = [this](QPushButton* button) {
        const QPoint centre = button->mapTo(window.get(), button->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, centre);
    };
    QSignalSpy exitPressed(exit, &QPushButton::clicked);
    QSignalSpy startPressed(Command1, &QPushButton::clicked);
    clickThroughTheWindow(exit);
    clickThroughTheWindow(Command1);
    EXPECT_EQ(exitPressed.count(), 0);
    EXPECT_EQ(startPressed.count(), 0);
    EXPECT_TRUE(window->isVisible());

    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->findChild<QMessageBox*>() == nullptr; }));
    EXPECT_TRUE(window->isVisible());
    clickThroughTheWindow(Command1);
    EXPECT_EQ(startPressed.count(), 1) << "a click through the window reaches the button once the box is gone";
}

}  // namespace
