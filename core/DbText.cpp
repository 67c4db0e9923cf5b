#include "core/DbText.h"

#include "core/VbHelpers.h"

#include <charconv>
#include <cmath>

namespace {

// Reads exactly n digits at text[pos]; -1 when they are not all digits.
int Digits(QStringView text, qsizetype pos, int n)
{
    if (pos + n > text.size()) return -1;
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = text[pos + i].unicode();
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

char Two(int v, int i) { return char('0' + (i == 0 ? v / 10 % 10 : v % 10)); }

} // namespace

QString FormatDbDateTime(const QDateTime& dt)
{
    // Hand-written: QDateTime::toString costs more than the whole rest of a save.
    const QDate d = dt.date();
    const QTime t = dt.time();
    const int y = d.year();
    if (y < 0 || y > 9999 || !d.isValid()) return QString();
    char buf[20] = {
        Two(d.day(), 0), Two(d.day(), 1), '.', Two(d.month(), 0), Two(d.month(), 1), '.',
        char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10), char('0' + y % 10), ' ',
        Two(t.hour(), 0), Two(t.hour(), 1), ':', Two(t.minute(), 0), Two(t.minute(), 1), ':',
        Two(t.second(), 0), Two(t.second(), 1), 0};
    return QString::fromLatin1(buf, 19);
}

QString FormatDbNumber(double value)
{
    return NumberText(value, u',');
}

std::optional<DbDateParts> ParseDbDateParts(QStringView text)
{
    text = text.trimmed();
    if (text.size() != 10 && text.size() != 19) return std::nullopt;
    DbDateParts p{Digits(text, 6, 4), Digits(text, 3, 2), Digits(text, 0, 2), 0, 0, 0};
    if (text[2] != u'.' || text[5] != u'.' || !QDate::isValid(p.year, p.month, p.day)) return std::nullopt;
    if (text.size() == 19) {
        if (text[10] != u' ' || text[13] != u':' || text[16] != u':') return std::nullopt;
        p.hour = Digits(text, 11, 2);
        p.minute = Digits(text, 14, 2);
        p.second = Digits(text, 17, 2);
        if (!QTime::isValid(p.hour, p.minute, p.second)) return std::nullopt;
    }
    return p;
}

std::optional<QDateTime> ParseDbDateTime(QStringView text)
{
    const std::optional<DbDateParts> p = ParseDbDateParts(text);
    if (!p) return std::nullopt;
    return QDateTime(QDate(p->year, p->month, p->day), QTime(p->hour, p->minute, p->second));
}

std::optional<double> ParseDbNumber(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 64) return std::nullopt;
    char buf[66];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u',') buf[i] = '.';
        else if ((c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+' || c == u'E' || c == u'e')
            buf[i] = char(c);
        else
            return std::nullopt;
    }
    // from_chars, not strtod, which would follow the desktop's decimal separator.
    const char* first = buf;
    const char* last = buf + text.size();
    if (*first == '+' && first + 1 < last && first[1] != '-' && first[1] != '+') ++first;
    double v = 0.0;
    const auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || !std::isfinite(v)) return std::nullopt;
    return v;
}

QString DbValueText(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) return QString();
    if (value.typeId() == QMetaType::QDateTime) return FormatDbDateTime(value.toDateTime());
    if (value.typeId() == QMetaType::QDate) return FormatDbDateTime(QDateTime(value.toDate(), QTime(0, 0)));
    return value.toString();
}

std::optional<QDateTime> DbValueDateTime(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime) return value.toDateTime();
    if (value.typeId() == QMetaType::QDate) return QDateTime(value.toDate(), QTime(0, 0));
    if (value.typeId() == QMetaType::QString) return ParseDbDateTime(value.toString());
    return std::nullopt;
}
