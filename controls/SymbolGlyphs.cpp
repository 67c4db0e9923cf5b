#include "controls/SymbolGlyphs.h"

#include <QStringView>

namespace {

struct Glyph { char16_t code; char32_t symbol; };

constexpr Glyph kWingdings[] = {
    {171, U'\u2605'}, // five-pointed star of the rating column
};

constexpr Glyph kWebdings[] = {
    {'4', U'\u25B6'},     // play
    {';', U'\u23F8'},     // pause
    {'<', U'\u23F9'},     // stop
    {'9', U'\u23EE'},     // previous title
    {':', U'\u23ED'},     // next title
    {'X', U'\U0001F50A'}, // volume
    {'2', U'\U0001F5D7'}, // show the window again
};

template <size_t N>
QString MapText(const Glyph (&table)[N], const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        char32_t symbol = 0;
        for (const Glyph& g : table)
            if (g.code == ch.unicode())
                symbol = g.symbol;
        if (symbol)
            out += QString::fromUcs4(&symbol, 1);
        else
            out += ch;
    }
    return out;
}

} // namespace

bool IsSymbolFont(const QString& family)
{
    return family.compare(u"Wingdings", Qt::CaseInsensitive) == 0
        || family.compare(u"Webdings", Qt::CaseInsensitive) == 0;
}

QString SymbolGlyphText(const QString& family, const QString& text)
{
    if (family.compare(u"Wingdings", Qt::CaseInsensitive) == 0)
        return MapText(kWingdings, text);
    if (family.compare(u"Webdings", Qt::CaseInsensitive) == 0)
        return MapText(kWebdings, text);
    return text;
}
