// Placing a window's controls from layouts given in twips.
#pragma once

#include "core/Units.h"

#include <QFont>
#include <QWidget>

inline void PlaceTwips(QWidget* widget, int left, int top, int width, int height)
{
    const double dpi = widget->logicalDpiX();
    widget->setGeometry(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
                        TwipsToPixels(height, dpi));
}

inline void SizeTwips(QWidget* widget, int width, int height)
{
    const double dpi = widget->logicalDpiX();
    widget->setFixedSize(TwipsToPixels(width, dpi), TwipsToPixels(height, dpi));
}

// The font the twips layouts were made for.
inline QFont FormFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    return font;
}
