// What the folder and file lists share: one entry chosen at a time, by the left button or the keyboard.
#pragma once

#include <QListWidget>

class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);

protected:
    // Paints the frame of the list that has the focus in the highlight colour.
    bool event(QEvent* event) override;
    // Only the left button chooses, as on the platform's lists; the others reach no handler below.
    bool viewportEvent(QEvent* event) override;
    // Up, Down, Home and End in a list where nothing is chosen yet choose its first entry (End its last).
    void keyPressEvent(QKeyEvent* event) override;
    // A choice once made stays made: Qt would let Ctrl take it back and leave the list without one.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
};
