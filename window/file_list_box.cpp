// The file list: matching files by name, and Click for the operator's selections alone.
#include "file_list_box.h"

#include "drives.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <stdexcept>

FileListBox::FileListBox(const QString& pattern, QWidget* parent) : ListBox(parent), pattern_(pattern)
{
    try {
        setPath(QDir::currentPath());
    } catch (const std::runtime_error&) {
        // A current folder that can't be read still is where the program stands.
        path_ = folderPath(QDir::currentPath());
    }
}

QString FileListBox::Path() const
{
    return path_;
}

void FileListBox::setPath(const QString& folder)
{
    const QString path = folderPath(folder);
    const QFileInfoList files = readFolder(path, QDir::Files, {pattern_});
    clear();
    for (const QFileInfo& file : files)
        addItem(file.fileName());
    path_ = path;
}

QString FileListBox::FileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

int FileListBox::selectedRow() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

// A click on the entry already selected counts as a selection too, as does dragging onto another.
void FileListBox::mousePressEvent(QMouseEvent* event)
{
    rowBeforePress_ = selectedRow();
    ListBox::mousePressEvent(event);
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event)
{
    ListBox::mouseReleaseEvent(event);
    const int selected = selectedRow();
    if (selected >= 0 && (selected != rowBeforePress_ || itemAt(event->position().toPoint()) == item(selected)))
        emit Click();
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    const int before = selectedRow();
    ListBox::keyPressEvent(event);
    const int after = selectedRow();
    if (after >= 0 && after != before)
        emit Click();
}
