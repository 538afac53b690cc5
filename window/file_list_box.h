// A file list: the files of one folder whose names match a pattern, at most one of them selected.
#pragma once

#include "list_box.h"

class FileListBox : public ListBox {
    Q_OBJECT

public:
    // `pattern` is a file-name pattern such as "*.pcb", matched without regard to letter case.
    // Starts in the program's current folder.
    explicit FileListBox(const QString& pattern, QWidget* parent = nullptr);

    // The folder whose files the list shows, in native form.
    QString Path() const;
    // Shows the matching files of `folder`, none selected. Throws std::runtime_error, naming the
    // folder and the reason, when it can't be read, and then shows what it showed before.
    void setPath(const QString& folder);

    // The selected entry's name, without its folder; empty when none is selected.
    QString FileName() const;

signals:
    // Raised when the operator selects an entry, with the mouse or the keyboard; never by setPath.
    // Raised from inside Qt's event handling, so its handlers catch their own errors.
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int selectedRow() const;

    QString pattern_;
    QString path_;
    int rowBeforePress_ = -1;
};
