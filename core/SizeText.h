// Sizes as short texts with a unit, stepping up by 1024.
#pragma once

#include <QString>
#include <QStringList>

// The value, in the first unit, rounded half to even to two places; then,
// while the number is at least 1024 and a larger unit is left, divided by 1024
// and rounded again. The number is carried, not read back from its text, and
// is written in its shortest form with the user's decimal separator, a blank
// and the unit: 1536 with {"MB", "GB"} gives "1,5 GB" under a German locale.
QString SizeLadderText(double value, const QStringList& units);
