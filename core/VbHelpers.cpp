#include "core/VbHelpers.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

double ParseRadix(const QString& s, int start, int radix)
{
    uint64_t v = 0;
    int digits = 0;
    for (int i = start; i < s.size() && digits < 16; ++i) {
        const int d = QChar(s[i]).digitValue();
        const char16_t u = s[i].unicode();
        int value = -1;
        if (radix == 16) {
            if (u >= u'0' && u <= u'9') value = u - u'0';
            else if (u >= u'a' && u <= u'f') value = u - u'a' + 10;
            else if (u >= u'A' && u <= u'F') value = u - u'A' + 10;
        } else if (d >= 0 && d < 8 && u < 128) {
            value = d;
        }
        if (value < 0) break;
        v = v * radix + value;
        ++digits;
    }
    // Up to four hex digits (six octal) are a 16-bit value, more a 32-bit one,
    // so &HFFFF is -1 as the language has it.
    const bool shortForm = radix == 16 ? digits <= 4 : digits <= 6;
    if (shortForm) return static_cast<int16_t>(static_cast<uint16_t>(v));
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

} // namespace

double Val(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!IsSkipped(c)) s.append(c);

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar k = s[1].toUpper();
        if (k == u'H') return ParseRadix(s, 2, 16);
        if (k == u'O') return ParseRadix(s, 2, 8);
        return 0;
    }

    // Collect the longest prefix of the form [sign] digits [. digits] [E|D [sign] digits].
    QByteArray num;
    int i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) num.append(char(s[i++].unicode()));
    bool anyDigit = false;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') { num.append(char(s[i++].unicode())); anyDigit = true; }
    if (i < s.size() && s[i] == u'.') {
        num.append('.');
        ++i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') { num.append(char(s[i++].unicode())); anyDigit = true; }
    }
    if (!anyDigit) return 0;
    if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
        int j = i + 1;
        QByteArray exp("e");
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) exp.append(char(s[j++].unicode()));
        bool expDigit = false;
        while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') { exp.append(char(s[j++].unicode())); expDigit = true; }
        if (expDigit) num.append(exp);
    }
    // from_chars, not strtod: the C library's numbers follow the desktop's
    // locale (a German one reads "2007.06" as 2007), the language's never do.
    const char* first = num.constData();
    const char* last = first + num.size();
    if (*first == '+') ++first;
    double v = 0.0;
    const auto [end, ec] = std::from_chars(first, last, v);
    return ec == std::errc() && std::isfinite(v) ? v : 0.0;
}

double RoundHalfEven(double value, int places)
{
    if (!std::isfinite(value)) return value;
    if (places <= 0) return std::nearbyint(value);
    const double scale = std::pow(10.0, places);
    const double scaled = value * scale;
    if (!std::isfinite(scaled)) return value;
    return std::nearbyint(scaled) / scale;
}

int32_t RoundToInt32(double value)
{
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);
    if (r <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    if (r >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

double VbInt(double value)
{
    return std::floor(value);
}

QString LTrim(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    return text.mid(i);
}

QString RTrim(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ') --n;
    return text.left(n);
}

QString Trim(const QString& text)
{
    return LTrim(RTrim(text));
}

QChar UserDecimalSeparator()
{
    const QString p = QLocale().decimalPoint();
    return p.isEmpty() ? QChar(u'.') : p[0];
}

QString NumberText(double value)
{
    QString text = NumberText(value, u'.');
    // Asking the locale costs more than the rest; whole numbers never need it.
    if (text.contains(u'.')) text.replace(u'.', UserDecimalSeparator());
    return text;
}

QString NumberText(double value, QChar decimalSeparator)
{
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    if (value == 0) return QStringLiteral("0");
    // As "%.15G" in the C locale, whatever locale the C library was given.
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    const qsizetype n = ec == std::errc() ? end - buf : 0;
    for (qsizetype i = 0; i < n; ++i)
        if (buf[i] == 'e') buf[i] = 'E';
    QString s = QString::fromLatin1(buf, n);
    if (decimalSeparator != u'.') s.replace(u'.', decimalSeparator);
    return s;
}
