// The application-workspace colour on Windows: the system colour itself, which no role of Qt's palette holds.
#include "workspace_colour.h"

#include "held_colour.h"

#include <QColor>
#include <QWidget>

#include <windows.h>

void paintInWorkspaceColour(QWidget& widget)
{
    const COLORREF workspace = GetSysColor(COLOR_APPWORKSPACE);
    holdColour(widget, QPalette::Window, QColor(GetRValue(workspace), GetGValue(workspace), GetBValue(workspace)));
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
}
