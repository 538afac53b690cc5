// What the folder and file lists share: one entry chosen at a time, by the left button or the keyboard.
#pragma once

#include <QListWidget>

class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);

protected:
    // Only the left button chooses, as on the platform's lists; the others reach no handler below.
    bool viewportEvent(QEvent* event) override;
    // A choice once made stays made: Qt would let Ctrl take it back and leave the list without one.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
};
