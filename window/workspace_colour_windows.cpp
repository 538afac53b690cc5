// The application-workspace colour on Windows: the system colour itself, which no role of Qt's palette holds.
#include "workspace_colour.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

#include <windows.h>

void paintInWorkspaceColour(QWidget& widget)
{
    const COLORREF workspace = GetSysColor(COLOR_APPWORKSPACE);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, QColor(GetRValue(workspace), GetGValue(workspace), GetBValue(workspace)));
    widget.setPalette(palette);
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
}
