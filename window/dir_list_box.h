// A folder list: the open folder's path from its drive's root down, then that folder's subfolders.
#pragma once

#include "drives.h"

#include "list_box.h"

class DirListBox : public ListBox {
    Q_OBJECT

public:
    // Starts in the program's current folder. Asks `drives` again whenever it opens a folder, so that
    // drives that come and go are taken as they stand then.
    explicit DirListBox(DriveSource drives, QWidget* parent = nullptr);

    // The open folder's full path, in native form.
    QString Path() const;
    // Opens a folder, shown from the root of the innermost drive that holds it. Given a drive's text,
    // opens that drive's current folder: the open folder when it lies on that drive and can still be
    // read, the drive's root otherwise. Throws std::runtime_error, naming the folder and the reason, when it can't be read,
    // and then stays where it was.
    void setPath(const QString& folderOrDrive);

signals:
    // Raised whenever the open folder changes, by the operator or by setPath, before setPath returns.
    // The operator's change comes from inside Qt's event handling, so its handlers catch their own errors.
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows `folder` from the root of `drive` down, or throws leaving the list as it was; tells
    // whether the open folder changed.
    bool open(const QString& folder, const QString& drive);
    void showFolder(const QString& path, const QString& drive, const QFileInfoList& subfolders);
    void openEntry(const QListWidgetItem* entry);

    DriveSource drives_;
    QString path_;
    // The drive the list stands on, whose root its first entry is; a folder may lie on several.
    QString drive_;
    int openRow_ = -1;
};
