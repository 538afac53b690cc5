// The drive list: one entry for each drive present when it opens, Change only when the chosen one really changes.
#include "drive_list_box.h"

#include <QSignalBlocker>
#include <QStylePainter>

#include <algorithm>
#include <stdexcept>
#include <utility>

DriveListBox::DriveListBox(DriveSource drives, QWidget* parent) : QComboBox(parent), drives_(std::move(drives))
{
    QStringList texts = drives_();
    texts.removeDuplicates();
    addItems(texts);
    const QString start = driveOf(folderPath(QDir::currentPath()), texts);
    if (!start.isEmpty())
        setCurrentIndex(findText(start, Qt::MatchExactly | Qt::MatchCaseSensitive));
    chosen_ = currentText();
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        previous_ = chosen_;
        chosen_ = currentText();
        emit Change();
    });
}

QString DriveListBox::Drive() const
{
    // The list may have been opened before the drive went: a drive pulled since is one that can't be read.
    const QString drive = currentText();
    if (!drives_().contains(drive))
        throw std::runtime_error(
            QStringLiteral("Cannot open the drive \"%1\": it is no longer there").arg(drive).toStdString());
    return drive;
}

void DriveListBox::showPopup()
{
    offer(drives_());
    QComboBox::showPopup();
}

void DriveListBox::offer(QStringList texts)
{
    texts.removeDuplicates();
    // The chosen drive stays while it is chosen, where it stood, even when gone: the folder list still
    // stands on it, and taking it away would choose another drive behind the operator's back.
    const QString chosen = currentText();
    if (!chosen.isEmpty() && !texts.contains(chosen))
        texts.insert(std::min(qsizetype(currentIndex()), texts.size()), chosen);
    const QSignalBlocker quiet(this);
    clear();
    addItems(texts);
    setCurrentIndex(findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void DriveListBox::setDrive(const QString& driveOrFolder)
{
    QStringList texts;
    for (int entry = 0; entry < count(); ++entry)
        texts << itemText(entry);
    const QString asked = folderPath(driveOrFolder);
    QString drive = driveOf(asked, texts);
    if (drive.isEmpty())
        throw std::runtime_error(
            QStringLiteral("Cannot choose the drive of \"%1\": no drive holds it").arg(driveOrFolder).toStdString());

    // A folder that lies on several drives, nested, is shown on its folder list's drive. When the chosen
    // drive doesn't hold it, the folder list could not move there and still stands on the drive chosen
    // before.
    const auto holds = [&](const QString& holder) { return !holder.isEmpty() && driveOf(asked, {holder}) == holder; };
    if (!sameFolder(asked, folderPath(drive)) && !holds(currentText()) && holds(previous_))
        drive = previous_;

    // Choosing the entry already chosen raises nothing, which ends the drive handler's nested runs.
    setCurrentIndex(findText(drive, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void DriveListBox::paintEvent(QPaintEvent*)
{
    // QComboBox's own painting, with the text shortened first; the open list shows each drive whole.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, field.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
