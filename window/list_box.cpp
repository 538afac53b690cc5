// The lists' shared base: single choice, never taken back, and mouse buttons other than the left ignored.
#include "list_box.h"

#include <QMouseEvent>

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // As the platform's lists: a long name is cut short rather than the list scrolled sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate : command;
}
