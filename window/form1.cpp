// Form1's start and its event handlers: choosing the files, the output path, "Start" and "Exit".
#include "form1.h"

#include "command_button.h"
#include "dir_list_box.h"
#include "drive_list_box.h"
#include "file_list_box.h"
#include "fonts.h"
#include "merge_apertures.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QShowEvent>

#include <exception>
#include <filesystem>

namespace {

// UTF-16 in, the platform's own encoding out: no name is lost on the way to the merge.
std::filesystem::path toPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

}  // namespace

Form1::Form1(DriveSource drives, QWidget* parent)
    : QWidget(parent), reportError_([this](const QString& message) { showError(message); })
{
    registerFontStandIns();
    createControls(drives);

    connect(Command1, &QPushButton::clicked, this, &Form1::dispatch<&Form1::Command1_Click>);
    connect(Command2, &QPushButton::clicked, this, &Form1::dispatch<&Form1::Command2_Click>);
    connect(Drive1, &DriveListBox::Change, this, &Form1::dispatch<&Form1::Drive1_Change>);
    connect(Dir1, &DirListBox::Change, this, &Form1::dispatch<&Form1::Dir1_Change>);
    connect(File1, &FileListBox::Click, this, &Form1::dispatch<&Form1::File1_Click>);
    connect(Drive2, &DriveListBox::Change, this, &Form1::dispatch<&Form1::Drive2_Change>);
    connect(Dir2, &DirListBox::Change, this, &Form1::dispatch<&Form1::Dir2_Change>);
    connect(File2, &FileListBox::Click, this, &Form1::dispatch<&Form1::File2_Click>);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::dispatch<&Form1::Text1_Change>);

    // The window is loaded once it has its controls, and only then shown.
    dispatch<&Form1::Form_Load>();
}

void Form1::setErrorReporter(ErrorReporter reporter)
{
    reportError_ = std::move(reporter);
}

bool Form1::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::ThemeChange:
    case QEvent::ApplicationPaletteChange:
        // The user's scheme has changed, and the workspace colour may be none of the palette's roles.
        paintSchemeColours();
        break;
    default:
        break;
    }
    return handled;
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Once, at the opening: a window that the operator has moved stays where it was put.
    if (!opened_ && !event->spontaneous()) {
        opened_ = true;
        moveOntoTheScreen();
    }
}

void Form1::showError(const QString& message)
{
    // open(), not exec(): the call returns at once, so the handler ends and a test can reach the box.
    // The box is window-modal all the same: until OK is pressed the window takes no input, and neither
    // "Exit" nor its close button acts.
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

template <void (Form1::*handler)()>
void Form1::dispatch()
{
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        reportError_(QString::fromUtf8(error.what()));
    } catch (...) {
        reportError_(tr("The last action failed for a reason that could not be told."));
    }
}

void Form1::Form_Load()
{
    status->setText(QStringLiteral("Select .pcb File"));
}

void Form1::Command1_Click()
{
    if (PcbPath.isEmpty() || GapPath.isEmpty()) {
        status->setText(QStringLiteral("SELECT FILES FIRST"));
        return;
    }
    try {
        Module1::MergeApertures(toPath(PcbPath), toPath(GapPath), toPath(OutputPath));
    } catch (...) {
        // The message itself is the dispatch's to show.
        status->setText(QStringLiteral("MERGE FAILED"));
        throw;
    }
    status->setText(QStringLiteral("Complete"));
}

void Form1::Command2_Click()
{
    QCoreApplication::quit();
}

void Form1::Drive1_Change()
{
    try {
        Dir1->setPath(Drive1->Drive());
    } catch (...) {
        Drive1->setDrive(Dir1->Path());
    }
}

void Form1::Dir1_Change()
{
    File1->setPath(Dir1->Path());
}

void Form1::File1_Click()
{
    PcbPath = File1->Path() + QDir::separator() + File1->FileName();
    OutputPath = File1->Path() + QDir::separator() + QStringLiteral("New_") + File1->FileName();
    // A copy, not the member: the box's change handler replaces OutputPath while the box takes its text.
    const QString proposed = OutputPath;
    Text1->setText(proposed);
    status->setText(QStringLiteral("Select .gap file"));
}

void Form1::Drive2_Change()
{
    try {
        Dir2->setPath(Drive2->Drive());
    } catch (...) {
        Drive2->setDrive(Dir2->Path());
    }
}

void Form1::Dir2_Change()
{
    File2->setPath(Dir2->Path());
}

void Form1::File2_Click()
{
    GapPath = File2->Path() + QDir::separator() + File2->FileName();
    status->setText(QStringLiteral("Push 'START'"));
}

void Form1::Text1_Change()
{
    OutputPath = Text1->text();
}
