// Where a window may stand: every window's place, default or stored, is kept
// inside the available area of its screen (the area the desktop's panels leave
// free); a window that may be resized is first made no larger than that area.
// Under Wayland the compositor places windows and ignores all this.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// The rectangle moved, the least, so that it lies inside the area; one larger
// than the area keeps its top left corner inside.
QRect MovedInside(QRect outer, const QRect& area);

// The rectangle made no larger than the area, then moved inside it.
QRect FittedInside(QRect outer, const QRect& area);

// The outer rectangle (frame included) inside the available area of the screen
// it lies most on (the primary screen's when it lies on none): fitted to it
// when the window may be resized, else only moved.
QRect InsideScreen(const QRect& outer, bool resizable);

// The window's size with its frame; before the desktop has framed it, its
// owner's frame stands in for its own.
QSize OuterSize(const QWidget& window);

// Moves the window's frame to the top left corner of outer, kept inside the
// screen; a window whose size is not fixed shrinks to fit the screen first.
void MoveInsideScreen(QWidget& window, const QRect& outer);
