// The folder list: ancestors with the open-folder icon, subfolders with the closed one, each a step further in.
#include "dir_list_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <stdexcept>

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

bool sameFolder(const QString& one, const QString& other)
{
    return QString::compare(one, other, folderNameCase()) == 0;
}

}

DirListBox::DirListBox(DriveSource drives, QWidget* parent)
    : ListBox(parent)
    , drives_(drives())
{
    setItemDelegate(new IndentedEntries(this));
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openEntry);
    try {
        open(QDir::currentPath());
    } catch (const std::runtime_error&) {
        // A current folder that can't be read still is where the program stands.
        path_ = folderPath(QDir::currentPath());
    }
}

QString DirListBox::Path() const
{
    return path_;
}

void DirListBox::setPath(const QString& folderOrDrive)
{
    if (open(folderToOpen(folderOrDrive)))
        emit Change();
}

QString DirListBox::folderToOpen(const QString& folderOrDrive) const
{
    const QString asked = folderPath(folderOrDrive);
    const QString drive = driveOf(asked, drives_);
    if (drive.isEmpty() || !sameFolder(asked, folderPath(drive)))
        return asked;
    // Each drive keeps its current folder, as on the platform; the list remembers only its own.
    return driveOf(path_, drives_) == drive ? path_ : asked;
}

bool DirListBox::open(const QString& folder)
{
    const QString path = folderPath(folder);
    const QFileInfoList subfolders = readFolder(path, QDir::Dirs);

    const QString drive = driveOf(path, drives_);
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
    QListWidgetItem* shown = nullptr;
    for (int depth = 0; depth < ancestors.size(); ++depth) {
        const QString& ancestor = ancestors[depth];
        shown = new QListWidgetItem(openIcon, depth == 0 ? ancestor : QFileInfo(ancestor).fileName(), this);
        shown->setData(pathRole, ancestor);
        shown->setData(depthRole, depth);
    }
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const QFileInfo& subfolder : subfolders) {
        auto* entry = new QListWidgetItem(closedIcon, subfolder.fileName(), this);
        entry->setData(pathRole, folderPath(subfolder.absoluteFilePath()));
        entry->setData(depthRole, int(ancestors.size()));
    }
    setCurrentItem(shown);

    const bool changed = path != path_;
    path_ = path;
    return changed;
}

void DirListBox::openEntry(const QListWidgetItem* entry)
{
    bool changed = false;
    // The operator's gesture comes from Qt's event loop, which must see no exception: a folder that
    // can't be read ends in a beep, and the list stays where it was.
    try {
        changed = open(entry->data(pathRole).toString());
    } catch (...) {
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
