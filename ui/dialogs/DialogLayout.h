// Windows laid out in twips, the unit their designs are given in, and filled
// with the plain colours of those designs.
#pragma once

#include "core/Units.h"

#include <QColor>
#include <QRect>
#include <QSize>
#include <QWidget>

// A rectangle in twips as pixels at the widget's logical dpi.
inline QRect TwipsRect(const QWidget& w, double x, double y, double width, double height)
{
    const double dx = w.logicalDpiX(), dy = w.logicalDpiY();
    return {TwipsToPixels(x, dx), TwipsToPixels(y, dy), TwipsToPixels(width, dx), TwipsToPixels(height, dy)};
}

inline QSize TwipsSize(const QWidget& w, double width, double height)
{
    return {TwipsToPixels(width, w.logicalDpiX()), TwipsToPixels(height, w.logicalDpiY())};
}

// Centres a window on its screen (the primary one before it is shown). Under
// Wayland the compositor places windows and ignores this.
void CentreOnScreen(QWidget& window);

// A plain background of the widget's own, with black text on it.
void SetBackground(QWidget& w, const QColor& colour);
