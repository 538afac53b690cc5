// Where Form1 opens: its designed place, moved onto the screen where the screen is too small for it.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

// The top-left corner of the client area for a window designed with its client area at `designed`,
// whose frame adds `frame` round it, on a screen whose free area (without task bars and docks) is
// `available`. The designed place where the whole window, frame and all, lies in that area; otherwise
// the nearest place where it does; and for a window larger than the area, the place where its frame's
// top-left corner is the area's, which keeps its title bar in reach.
QPoint openingPosition(const QRect& designed, const QMargins& frame, const QRect& available);
