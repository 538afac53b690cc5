// A drop-down list of the machine's drives, with the Drive property and Change event the window relies on.
#pragma once

#include "drives.h"

#include <QComboBox>

class DriveListBox : public QComboBox {
    Q_OBJECT

public:
    // Starts on the drive of the program's current folder. Asks `drives` again each time it drops down,
    // so that it offers the drives present then.
    explicit DriveListBox(DriveSource drives, QWidget* parent = nullptr);

    // The chosen drive's text. Throws std::runtime_error, naming the drive, when it is no longer among
    // the machine's drives: its root may still be a folder (a mount point), but it is no drive.
    QString Drive() const;
    // Takes a drive's text or the full path of any folder, and shows that folder's drive as chosen. Of
    // nested drives that hold the folder, that is the innermost, except while the chosen drive doesn't
    // hold it: then the drive chosen before, where that one holds it.
    // Throws std::runtime_error, naming the folder, when none of the drives holds it.
    void setDrive(const QString& driveOrFolder);
    // Offers the drives present now, before the list opens.
    void showPopup() override;

signals:
    // Raised when the chosen drive changes, by the operator or by code, and only then. It comes from
    // inside QComboBox, so its handlers catch their own errors, as Form1's dispatch does.
    void Change();

protected:
    // Cuts a long drive's text in the middle: nested mounts share their leading part, not their end.
    void paintEvent(QPaintEvent* event) override;

private:
    // Offers `texts`, and the chosen drive among them even when it has gone, without raising Change.
    void offer(QStringList texts);

    DriveSource drives_;
    // The drive chosen now and the one chosen before it, for setDrive's folders on nested drives.
    QString chosen_;
    QString previous_;
};
