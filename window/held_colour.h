// A palette colour that stays the same whether its window is active, inactive or disabled.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

// Gives `role` in `widget`'s palette the one `colour` in every colour group, as the platform's system
// colours are one colour whatever the window's state; Qt's palettes may dim the inactive and disabled
// groups. Sets the palette only when a group differs: a new palette raises PaletteChange, and a widget
// that sets its palette on palette events would loop on it.
inline void holdColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour)
{
    const QPalette& current = widget.palette();
    bool differs = false;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        differs = differs || current.color(group, role) != colour;
    if (!differs)
        return;
    QPalette palette = current;
    palette.setColor(role, colour);
    widget.setPalette(palette);
}
