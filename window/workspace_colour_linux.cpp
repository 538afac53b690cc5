// The application-workspace colour where Qt knows no such system colour.
#include "workspace_colour.h"

#include "held_colour.h"

#include <QApplication>
#include <QWidget>

void paintInWorkspaceColour(QWidget& widget)
{
    // The palette's Dark role, which Qt's own workspaces use, so that the colour follows the user's scheme.
    holdColour(widget, QPalette::Window, QApplication::palette(&widget).color(QPalette::Active, QPalette::Dark));
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
}
