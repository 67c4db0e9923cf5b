// Where a window may stand: every window's place, default or stored, is kept
// inside the available area of its screen (the area the desktop's panels leave
// free). Under Wayland the compositor places windows and ignores all this.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// The rectangle moved, the least, so that it lies inside the area; one larger
// than the area keeps its top left corner inside.
QRect MovedInside(QRect outer, const QRect& area);

// The outer rectangle (frame included) moved inside the available area of the
// screen it lies most on (the primary screen's when it lies on none).
QRect InsideScreen(const QRect& outer);

// The window's size with its frame; before the desktop has framed it, its
// owner's frame stands in for its own.
QSize OuterSize(const QWidget& window);

// Moves the window's frame to the top left corner of outer, kept inside the screen.
void MoveInsideScreen(QWidget& window, const QRect& outer);
