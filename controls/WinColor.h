// Windows colour values to QColor, for every widget. Values with the high bit
// set name system colours; they map to the nearest role of the palette.
#pragma once

#include "core/Units.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

inline QColor WinColorToQColor(uint32_t value)
{
    if (!IsWinSystemColor(value))
        return QColor::fromRgba(WinColorToArgb(value));
    const QPalette pal = QApplication::palette();
    switch (value & 0xFF) {
    case 5:  return pal.color(QPalette::Base);            // window background
    case 8:  return pal.color(QPalette::Text);            // window text
    case 13: return pal.color(QPalette::Highlight);
    case 14: return pal.color(QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Button);           // button face
    case 16: return pal.color(QPalette::Dark);             // button shadow
    case 18: return pal.color(QPalette::ButtonText);
    case 20: return pal.color(QPalette::Light);            // button highlight
    default: return pal.color(QPalette::Window);
    }
}
