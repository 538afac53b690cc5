// The application-workspace colour on Windows: the system colour itself, which no role of Qt's palette holds.
#include "workspace_colour.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

#include <windows.h>

void paintInWorkspaceColour(QWidget& widget)
{
    const COLORREF workspace = GetSysColor(COLOR_APPWORKSPACE);
    const QColor colour(GetRValue(workspace), GetGValue(workspace), GetBValue(workspace));
    // A new palette raises PaletteChange; a widget that repaints on palette events would loop on it.
    if (widget.palette().color(QPalette::Window) != colour) {
        QPalette palette = widget.palette();
        palette.setColor(QPalette::Window, colour);
        widget.setPalette(palette);
    }
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
}
