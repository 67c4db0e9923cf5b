// Twips and Windows colour values, the units the program's layouts and stored
// colours are given in.
#pragma once

#include <cstdint>

// 1440 twips to the inch: 15 twips are one pixel at 96 dpi.
inline int TwipsToPixels(double twips, double logicalDpi = 96.0)
{
    const double px = twips * logicalDpi / 1440.0;
    return static_cast<int>(px < 0 ? px - 0.5 : px + 0.5);
}

inline double PixelsToTwips(double pixels, double logicalDpi = 96.0)
{
    return pixels * 1440.0 / logicalDpi;
}

// A Windows colour value &H00BBGGRR as an opaque 0xAARRGGBB value (the form
// QColor::fromRgba takes). System colours (high bit set) are not mapped here.
inline uint32_t WinColorToArgb(uint32_t bgr)
{
    const uint32_t r = bgr & 0xFF, g = (bgr >> 8) & 0xFF, b = (bgr >> 16) & 0xFF;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

inline bool IsWinSystemColor(uint32_t value)
{
    return (value & 0x80000000u) != 0;
}
