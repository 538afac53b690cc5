// The folder list: ancestors with the open-folder icon, subfolders with the closed one, each a step further in.
#include "dir_list_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <stdexcept>
#include <utility>

namespace {

constexpr int pathRole = Qt::UserRole;
constexpr int depthRole = Qt::UserRole + 1;

// QListWidget knows no indent, so the delegate draws each entry as far in as its depth.
class IndentedEntries : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) { return 8 * index.data(depthRole).toInt(); }
};

}  // namespace

DirListBox::DirListBox(DriveSource drives, QWidget* parent) : ListBox(parent), drives_(std::move(drives))
{
    setItemDelegate(new IndentedEntries(this));
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openEntry);
    const QString start = folderPath(QDir::currentPath());
    const QString drive = driveOf(start, drives_());
    try {
        open(start, drive);
    } catch (const std::runtime_error&) {
        // A folder that may be entered but not listed still is where the program stands, and the
        // folders above it the way out.
        showFolder(start, drive, {});
    }
}

QString DirListBox::Path() const
{
    return path_;
}

void DirListBox::setPath(const QString& folderOrDrive)
{
    const QStringList drives = drives_();
    const QString asked = folderPath(folderOrDrive);
    const QString drive = driveOf(asked, drives);
    bool changed = false;
    // Given a drive, the list opens that drive's current folder: each drive keeps one, as on the
    // platform, and the list remembers only its own, the open folder. That folder is on the drive the
    // list stands on, and also on the innermost drive that holds it, when the operator has opened
    // folders down into a mounted volume.
    if (!drive.isEmpty() && sameFolder(asked, folderPath(drive)) &&
        (sameFolder(drive, drive_) || sameFolder(drive, driveOf(path_, drives)))) {
        try {
            changed = open(path_, drive);
        } catch (const std::runtime_error&) {
            // The open folder has gone, or the volume it lay on: the drive itself may still be read.
            changed = open(asked, drive);
        }
    } else {
        changed = open(asked, drive);
    }
    if (changed)
        emit Change();
}

bool DirListBox::open(const QString& folder, const QString& drive)
{
    const QString path = folderPath(folder);
    const QFileInfoList subfolders = readFolder(path, QDir::Dirs);
    const bool changed = path != path_;
    showFolder(path, drive, subfolders);
    return changed;
}

void DirListBox::showFolder(const QString& path, const QString& drive, const QFileInfoList& subfolders)
{
    const QString root = drive.isEmpty() ? QString() : folderPath(drive);
    QStringList ancestors;
    for (QString step = path;;) {
        ancestors.prepend(step);
        const QString up = folderPath(QFileInfo(step).path());
        // Also stops at a network share, whose parent Qt would give as the current drive's root.
        if (sameFolder(step, root) || sameFolder(up, step) || !step.startsWith(up, folderNameCase()))
            break;
        step = up;
    }

    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (int depth = 0; depth < ancestors.size(); ++depth) {
        const QString& ancestor = ancestors[depth];
        auto* entry = new QListWidgetItem(openIcon, depth == 0 ? ancestor : QFileInfo(ancestor).fileName(), this);
        entry->setData(pathRole, ancestor);
        entry->setData(depthRole, depth);
        // Deep down the narrow list cuts the names short; the whole path is a pointer's rest away.
        entry->setToolTip(ancestor);
    }
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const QFileInfo& subfolder : subfolders) {
        auto* entry = new QListWidgetItem(closedIcon, subfolder.fileName(), this);
        entry->setData(pathRole, folderPath(subfolder.absoluteFilePath()));
        entry->setData(depthRole, int(ancestors.size()));
        entry->setToolTip(entry->data(pathRole).toString());
    }
    openRow_ = int(ancestors.size()) - 1;
    setCurrentRow(openRow_);
    path_ = path;
    drive_ = drive;
}

void DirListBox::openEntry(const QListWidgetItem* entry)
{
    bool changed = false;
    // The operator's gesture comes from Qt's event loop, which must see no exception. A folder that
    // can't be read ends in a beep; the list stays where it was, its highlight on the open folder.
    // The folder opened is on the list's own drive, whatever drives lie further in, while that drive
    // is there. Once it has gone (a volume unmounted), its root is a folder of the drive that holds it
    // now, and the folders above it are the way out.
    try {
        const QString folder = entry->data(pathRole).toString();
        const QStringList drives = drives_();
        changed = open(folder, drives.contains(drive_) ? drive_ : driveOf(folderPath(folder), drives));
    } catch (...) {
        setCurrentRow(openRow_);
        QApplication::beep();
    }
    if (changed)
        emit Change();
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openEntry(currentItem());
        event->accept();
        return;
    }
    ListBox::keyPressEvent(event);
}
