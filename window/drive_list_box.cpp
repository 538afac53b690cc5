// The drive list: one entry for each drive, Change only when the chosen one really changes.
#include "drive_list_box.h"

#include <stdexcept>

DriveListBox::DriveListBox(DriveSource drives, QWidget* parent)
    : QComboBox(parent)
{
    QStringList texts = drives();
    texts.removeDuplicates();
    addItems(texts);
    const QString start = driveOf(folderPath(QDir::currentPath()), texts);
    if (!start.isEmpty())
        setCurrentIndex(findText(start, Qt::MatchExactly | Qt::MatchCaseSensitive));
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::Change);
}

QString DriveListBox::Drive() const
{
    return currentText();
}

void DriveListBox::setDrive(const QString& driveOrFolder)
{
    QStringList texts;
    for (int entry = 0; entry < count(); ++entry)
        texts << itemText(entry);
    const QString drive = driveOf(folderPath(driveOrFolder), texts);
    if (drive.isEmpty())
        throw std::runtime_error(
            QStringLiteral("Cannot choose the drive of \"%1\": no drive holds it").arg(driveOrFolder).toStdString());

    // Choosing the entry already chosen raises nothing, which ends the drive handler's nested runs.
    setCurrentIndex(findText(drive, Qt::MatchExactly | Qt::MatchCaseSensitive));
}
