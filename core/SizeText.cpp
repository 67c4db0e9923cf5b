#include "core/SizeText.h"

#include "core/VbHelpers.h"

QString SizeLadderText(double value, const QStringList& units)
{
    if (units.isEmpty()) return NumberText(RoundHalfEven(value, 2));
    double number = RoundHalfEven(value, 2);
    qsizetype unit = 0;
    while (number >= 1024 && unit + 1 < units.size()) {
        number = RoundHalfEven(number / 1024, 2);
        ++unit;
    }
    return NumberText(number) + QLatin1Char(' ') + units[unit];
}
