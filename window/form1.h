// The program's one window: the two file pickers, the output path, "Start", "Exit" and the status label.
#pragma once

#include "drives.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class CommandButton;
class DirListBox;
class DriveListBox;
class FileListBox;
class QLabel;
class QLineEdit;

class Form1 : public QWidget {
    Q_OBJECT

public:
    // Tells the operator what failed; by default in a window-modal message box that the handler does not
    // wait for.
    using ErrorReporter = std::function<void(const QString& message)>;

    // `drives` feeds the drive and folder lists; tests offer drives of their own.
    explicit Form1(DriveSource drives = machineDrives, QWidget* parent = nullptr);

    void setErrorReporter(ErrorReporter reporter);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // In form1_layout.cpp, with the table of the controls.
    void createControls(const DriveSource& drives);
    void paintSchemeColours();
    void moveOntoTheScreen();

    void showError(const QString& message);

    // Every handler runs through here: whatever it throws reaches the operator, and the window stays open.
    template <void (Form1::*handler)()>
    void dispatch();

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Drive2_Change();
    void Dir2_Change();
    void File2_Click();
    void Text1_Change();

    CommandButton* Command1 = nullptr;
    CommandButton* Command2 = nullptr;
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    DriveListBox* Drive2 = nullptr;
    DirListBox* Dir2 = nullptr;
    FileListBox* File2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* status = nullptr;

    // The window and its labels, all in the workspace colour.
    QList<QWidget*> workspace_;
    // The labels whose text is in a colour of the user's scheme.
    QList<QLabel*> schemeText_;
    bool opened_ = false;

    QString OutputPath;
    QString GapPath;
    QString PcbPath;

    ErrorReporter reportError_;
};
