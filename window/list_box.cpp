// The lists' shared base: single choice, never taken back, chosen by the arrows from the first entry on,
// mouse buttons other than the left ignored, and the focus shown on the list's frame.
#include "list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// In pixels, all round the list.
constexpr int focusMarkWidth = 2;

}  // namespace

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // As the platform's lists: a long name is cut short rather than the list scrolled sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Room inside a thin frame for a focus mark that can be seen at a glance.
    const int room = std::max(0, focusMarkWidth - frameWidth());
    setViewportMargins(room, room, room, room);
}

bool ListBox::event(QEvent* event)
{
    const bool handled = QListWidget::event(event);
    // Qt's styles mark the focused entry faintly, or only after certain keys, and an empty list not at
    // all: whoever works by keyboard would not see where the next key lands.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        update();  // the frame: the view repaints only its entries
    if (event->type() == QEvent::Paint && hasFocus()) {
        // The frame and the room beside it; the entries and the scroll bar lie over the rest.
        const int width = std::max(focusMarkWidth, frameWidth());
        QPainter painter(this);
        painter.setClipRegion(QRegion(rect()) - QRegion(rect().adjusted(width, width, -width, -width)));
        painter.fillRect(rect(), palette().color(QPalette::Highlight));
    }
    return handled;
}

bool ListBox::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (static_cast<const QMouseEvent*>(event)->button() != Qt::LeftButton) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QListWidget::viewportEvent(event);
}

void ListBox::keyPressEvent(QKeyEvent* event)
{
    // Qt makes the first entry current, unchosen, when the focus comes in by Tab, and steps on from it:
    // Down would pass the first entry by, and in a list of one do nothing at all.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && selectedItems().isEmpty() && count() > 0) {
        int row = -1;
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
            row = 0;
            break;
        case Qt::Key_End:
            row = count() - 1;
            break;
        default:
            break;
        }
        if (row >= 0) {
            setCurrentRow(row);
            event->accept();
            return;
        }
    }
    QListWidget::keyPressEvent(event);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate : command;
}
