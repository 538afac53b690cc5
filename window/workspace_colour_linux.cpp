// The application-workspace colour where Qt knows no such system colour.
#include "workspace_colour.h"

#include <QWidget>

void paintInWorkspaceColour(QWidget& widget)
{
    // The palette's Dark role, which Qt's own workspaces use, so that the colour follows the user's scheme.
    widget.setBackgroundRole(QPalette::Dark);
    widget.setAutoFillBackground(true);
}
