// The number and text rules of the original program's language, in one place.
// Everything that converts user or file text to numbers, rounds or trims goes
// through here so the rules never drift apart.
#pragma once

#include <QString>
#include <cstdint>

// Leading number of a text: blanks, tabs and line feeds are skipped anywhere,
// an optional sign, digits with at most one ".", an optional exponent (E or D),
// or &H / &O for hexadecimal and octal. Stops at the first other character;
// a text with no number gives 0. The decimal separator is always ".".
double Val(const QString& text);

// Round to the given number of decimal places, halves to the even neighbour.
double RoundHalfEven(double value, int places = 0);

// Round half to even and convert to a 32-bit integer, saturating at its range
// (NaN gives 0).
int32_t RoundToInt32(double value);

// Largest whole number not above the value.
double VbInt(double value);

// Remove leading and trailing blanks (character 32 only; tabs stay).
QString Trim(const QString& text);
QString LTrim(const QString& text);
QString RTrim(const QString& text);

// Shortest text of a number, up to 15 significant digits, with the given
// decimal separator; the user's separator when none is given.
QString NumberText(double value);
QString NumberText(double value, QChar decimalSeparator);

// The user's decimal separator.
QChar UserDecimalSeparator();
