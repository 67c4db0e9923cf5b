// The one fixed text form of dates and numbers in the library files, whatever
// the user's locale, so a locale change never corrupts the library:
// dates "dd.MM.yyyy HH:mm:ss" (or "dd.MM.yyyy" alone), numbers with a decimal
// comma, up to 15 significant digits, no digit grouping.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

QString FormatDbDateTime(const QDateTime& dt);
QString FormatDbNumber(double value);

// A date and time in the fixed form, or a date alone (read as midnight).
// Leading and trailing blanks are allowed; anything else gives nothing.
std::optional<QDateTime> ParseDbDateTime(QStringView text);

// The same, as its fields, without making a QDateTime: a local QDateTime
// costs a time-zone lookup, which would dominate a pass over a large library.
struct DbDateParts {
    int year, month, day, hour, minute, second;
};
std::optional<DbDateParts> ParseDbDateParts(QStringView text);

// A number in the fixed form; "," and "." both read as the decimal separator.
// Anything that is not wholly a number gives nothing.
std::optional<double> ParseDbNumber(QStringView text);

// A stored date value (AddTime, PlayTime) as text in the fixed form: a date
// becomes its fixed text, a text stays as it is, nothing becomes "".
QString DbValueText(const QVariant& value);
// A stored date value as a date and time: a date stays, a text in the fixed
// form is parsed; anything else gives nothing.
std::optional<QDateTime> DbValueDateTime(const QVariant& value);
