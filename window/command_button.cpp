// The command button: Enter presses it while it has the focus, without making it any window's default.
#include "command_button.h"

#include <QKeyEvent>

CommandButton::CommandButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    // Qt's auto-default would also take Enter, but makes the focused button the default one and
    // draws it so; this button is never a default, and Enter elsewhere presses nothing.
    setAutoDefault(false);
    setDefault(false);
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A held Enter presses once, not once for every repeat.
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}
