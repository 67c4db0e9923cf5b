// The symbol fonts the program names (Wingdings for the rating stars, Webdings
// for the transport buttons) do not exist on Linux. Their characters are drawn
// as the matching Unicode symbols in the default font; the stored text keeps its
// own characters, so sorting and comparing stay as they were.
#pragma once

#include <QString>

// Whether the family is one of the mapped symbol fonts (case-insensitive).
bool IsSymbolFont(const QString& family);

// The text to draw for a text set in the given font: in a symbol font each
// mapped character becomes its symbol, others stay; in any other font the text
// is returned as it is.
QString SymbolGlyphText(const QString& family, const QString& text);
