// The application-workspace colour where Qt knows no such system colour: the palette's Dark role,
// which Qt's own workspaces use, so that the colour follows the user's scheme.
#include "workspace_colour.h"

#include <QWidget>

void paintInWorkspaceColour(QWidget& widget)
{
    widget.setBackgroundRole(QPalette::Dark);
    widget.setAutoFillBackground(true);
}
