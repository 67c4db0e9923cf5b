#include "core/Search.h"

#include "core/Clock.h"
#include "core/DbText.h"
#include "core/VbHelpers.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QTime>
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

// ---- Free-text haystack ---------------------------------------------------

// Builds the record's search text on first use and again whenever one of its
// six fields differs from the copy kept with it. A kept copy shares the
// field's buffer, and a shared buffer is never written (a change detaches),
// so an equal start and length prove an equal text without reading it.
const SearchHaystack& Haystack(const LibraryEntry& entry)
{
    const std::array<const QString*, 6> sources = {
        &entry.Tags.Album, &entry.Tags.Artist, &entry.Tags.Genre,
        &entry.Tags.Title, &entry.Tags.Track, &entry.Tags.Year,
    };
    if (SearchHaystack* cache = entry.Haystack.Get()) {
        bool current = true;
        for (size_t i = 0; i < sources.size() && current; ++i) {
            QString& kept = cache->Sources[i];
            const QString& field = *sources[i];
            if (kept.constData() == field.constData() && kept.size() == field.size()) continue;
            if (kept == field) kept = field;  // same text in another buffer: share it for next time
            else current = false;
        }
        if (current) return *cache;
    }

    qsizetype length = sources.size() - 1;
    bool latin1 = true;
    for (const QString* s : sources) {
        length += s->size();
        latin1 = latin1 && std::all_of(s->cbegin(), s->cend(), [](QChar c) { return c.unicode() < 0x100; });
    }
    SearchHaystack* made;
    if (latin1) {
        // A Latin-1 letter's lower case is one Latin-1 letter.
        made = SearchHaystack::Make(length, false);
        char* out = made->Latin1Data();
        for (size_t i = 0; i < sources.size(); ++i) {
            if (i > 0) *out++ = ' ';
            for (QChar c : *sources[i]) *out++ = char(QChar::toLower(c.unicode()));
        }
    } else {
        QString text;
        text.reserve(length);
        for (size_t i = 0; i < sources.size(); ++i) {
            if (i > 0) text += u' ';
            text += *sources[i];
        }
        text = std::move(text).toLower();
        const bool wide = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x100; });
        made = SearchHaystack::Make(text.size(), wide);
        if (wide) std::copy(text.utf16(), text.utf16() + text.size(), made->Utf16Data());
        else std::transform(text.cbegin(), text.cend(), made->Latin1Data(), [](QChar c) { return char(c.unicode()); });
    }
    for (size_t i = 0; i < sources.size(); ++i) made->Sources[i] = *sources[i];
    entry.Haystack.Set(made);
    return *made;
}

// The search text's words, converted once for every record it is matched with.
struct Needle {
    QString text;
    std::vector<std::u16string> utf16;
    std::vector<std::string> latin1;  // the words that are Latin-1
    bool latin1Matches = true;        // false when a word is not: no Latin-1 text holds it
};

const Needle& NeedleOf(QStringView searchText)
{
    thread_local Needle needle;
    if (needle.text == searchText) return needle;
    needle = Needle{searchText.toString(), {}, {}, true};
    for (QStringView word : searchText.split(u' ', Qt::SkipEmptyParts)) {
        needle.utf16.emplace_back(reinterpret_cast<const char16_t*>(word.utf16()), size_t(word.size()));
        if (std::any_of(word.begin(), word.end(), [](QChar c) { return c.unicode() >= 0x100; }))
            needle.latin1Matches = false;
        else
            needle.latin1.push_back(word.toLatin1().toStdString());
    }
    return needle;
}

template <typename View, typename Word>
bool HoldsAll(View haystack, const std::vector<Word>& words)
{
    return std::all_of(words.begin(), words.end(), [&](const Word& w) { return haystack.find(w) != haystack.npos; });
}

// ---- Fields ----------------------------------------------------------------

enum class Field {
    Literal, Rating, TimesPlayed, TimePlayed, Artist, Album, Duration,
    AddTime, FileName, Genre, Title, Track, Year, Bitrate,
};

struct FieldName {
    QStringView name;
    Field field;
};

constexpr FieldName kFields[] = {
    {u"rating", Field::Rating},     {u"timesplayed", Field::TimesPlayed},
    {u"timeplayed", Field::TimePlayed}, {u"artist", Field::Artist},
    {u"album", Field::Album},       {u"duration", Field::Duration},
    {u"addtime", Field::AddTime},   {u"filename", Field::FileName},
    {u"genre", Field::Genre},       {u"title", Field::Title},
    {u"track", Field::Track},       {u"year", Field::Year},
    {u"bitrate", Field::Bitrate},
};

Field FieldByName(QStringView name)
{
    for (const FieldName& f : kFields)
        if (f.name == name) return f.field;
    return Field::Literal;
}

bool IsNumberField(Field f)
{
    return f == Field::Rating || f == Field::TimesPlayed || f == Field::Duration || f == Field::Bitrate;
}

bool IsDateField(Field f)
{
    return f == Field::AddTime || f == Field::TimePlayed;
}

qint64 NumberOf(const LibraryEntry& e, Field f)
{
    switch (f) {
    case Field::Rating: return e.Rating;
    case Field::TimesPlayed: return e.PlayCNT;
    case Field::Duration: return e.Tags.Lenght;
    case Field::Bitrate: return e.Tags.Bitrate;
    default: return 0;
    }
}

// The record's text field; nullptr for the other kinds.
const QString* TextOf(const LibraryEntry& e, Field f)
{
    switch (f) {
    case Field::Artist: return &e.Tags.Artist;
    case Field::Album: return &e.Tags.Album;
    case Field::FileName: return &e.FileName;
    case Field::Genre: return &e.Tags.Genre;
    case Field::Title: return &e.Tags.Title;
    case Field::Track: return &e.Tags.Track;
    case Field::Year: return &e.Tags.Year;
    default: return nullptr;
    }
}

const QVariant& DateOf(const LibraryEntry& e, Field f)
{
    return f == Field::AddTime ? e.AddTime : e.PlayTime;
}

// ---- Dates as the query sees them: "yyyy.mm.dd hh:mm:ss" ---------------------

using DateParts = DbDateParts;

std::optional<DateParts> PartsOf(const QDateTime& dt)
{
    if (!dt.isValid()) return std::nullopt;
    const QDate d = dt.date();
    const QTime t = dt.time();
    if (d.year() < 1 || d.year() > 9999) return std::nullopt;
    return DateParts{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

// A stored AddTime or PlayTime as a date; nothing for "(noch nie)" and other texts.
std::optional<DateParts> StoredDate(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: return PartsOf(*static_cast<const QDateTime*>(value.constData()));
    case QMetaType::QDate: {
        const QDate& d = *static_cast<const QDate*>(value.constData());
        if (!d.isValid() || d.year() < 1 || d.year() > 9999) return std::nullopt;
        return DateParts{d.year(), d.month(), d.day(), 0, 0, 0};
    }
    case QMetaType::QString: return ParseDbDateParts(*static_cast<const QString*>(value.constData()));
    default: return std::nullopt;
    }
}

constexpr int kDateTextLength = 19;
constexpr int kScratchLength = 24;  // a date text or a 64-bit whole number

QStringView WriteDateText(const DateParts& p, char16_t* buf)
{
    const auto two = [&](int at, int v) {
        buf[at] = char16_t(u'0' + v / 10 % 10);
        buf[at + 1] = char16_t(u'0' + v % 10);
    };
    two(0, p.year / 100);
    two(2, p.year % 100);
    buf[4] = u'.';
    two(5, p.month);
    buf[7] = u'.';
    two(8, p.day);
    buf[10] = u' ';
    two(11, p.hour);
    buf[13] = u':';
    two(14, p.minute);
    buf[16] = u':';
    two(17, p.second);
    return QStringView(buf, kDateTextLength);
}

QString DateText(const DateParts& p)
{
    char16_t buf[kScratchLength];
    return WriteDateText(p, buf).toString();
}

// A date field's value: the date text, or the stored text when it is no date.
QString DateFieldText(const QVariant& value)
{
    if (const auto p = StoredDate(value)) return DateText(*p);
    return DbValueText(value);
}

// Decimal digits of a whole number, as NumberText writes them, without allocating.
QStringView WriteWholeNumber(qint64 v, char16_t* buf)
{
    qsizetype at = kScratchLength;
    const bool negative = v < 0;
    quint64 u = negative ? 0 - quint64(v) : quint64(v);
    do {
        buf[--at] = char16_t(u'0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (negative) buf[--at] = u'-';
    return QStringView(buf + at, kScratchLength - at);
}

// A field's value for the " top " selection: numbers rank below texts, two
// numbers numerically, two texts by character code.
using Value = std::variant<qint64, QString>;

Value ValueOf(const LibraryEntry& e, Field f, const QString& literal)
{
    if (IsNumberField(f)) return NumberOf(e, f);
    if (IsDateField(f)) return DateFieldText(DateOf(e, f));
    if (const QString* s = TextOf(e, f)) return *s;
    return literal;
}

// ---- Criteria --------------------------------------------------------------

enum class Op { Eq, Gt, Lt, Ge, Le, Ne };

struct Side {
    Field field = Field::Literal;
    QString literal;  // lower case
    double number = 0;
};

struct Criterion {
    Op op = Op::Eq;
    Side left;
    Side right;
};

Side MakeSide(const QString& name)
{
    Side s;
    s.field = FieldByName(name);
    s.literal = name.toLower();
    s.number = Val(s.literal);
    return s;
}

bool HasOperator(QStringView line)
{
    return line.contains(u'=') || line.contains(u'>') || line.contains(u'<');
}

std::optional<Criterion> ParseCriterion(QStringView line)
{
    if (!HasOperator(line)) return std::nullopt;
    // The last of these that occurs anywhere in the line is the operator.
    static constexpr struct {
        QStringView text;
        Op op;
    } kOps[] = {{u"=", Op::Eq}, {u">", Op::Gt}, {u"<", Op::Lt}, {u">=", Op::Ge}, {u"<=", Op::Le}, {u"<>", Op::Ne}};
    QStringView opText;
    Criterion c;
    for (const auto& o : kOps)
        if (line.contains(o.text)) {
            opText = o.text;
            c.op = o.op;
        }
    const qsizetype first = line.indexOf(opText);
    const qsizetype last = line.lastIndexOf(opText);
    c.left = MakeSide(Trim(line.left(first).toString()));
    c.right = MakeSide(Trim(line.mid(last + opText.size()).toString()));
    return c;
}

// Evaluates parsed criteria; keeps what repeats from record to record.
class Evaluator {
public:
    bool Holds(const Criterion& c, const LibraryEntry& e)
    {
        if (c.op == Op::Eq || c.op == Op::Ne) {
            Scratch a, b;
            const bool match = MatchesPattern(Text(c.left, e, a), Text(c.right, e, b));
            return c.op == Op::Eq ? match : !match;
        }
        const double l = Number(c.left, e);
        const double r = Number(c.right, e);
        switch (c.op) {
        case Op::Gt: return l > r;
        case Op::Lt: return l < r;
        case Op::Ge: return l >= r;
        case Op::Le: return l <= r;
        default: return false;
        }
    }

private:
    struct Scratch {
        QString text;
        char16_t buf[kScratchLength];
    };

    // The side's text for this record, lower case.
    static QStringView Text(const Side& s, const LibraryEntry& e, Scratch& scratch)
    {
        if (s.field == Field::Literal) return s.literal;
        if (IsNumberField(s.field)) return WriteWholeNumber(NumberOf(e, s.field), scratch.buf);
        if (IsDateField(s.field)) {
            const QVariant& v = DateOf(e, s.field);
            if (const auto p = StoredDate(v)) return WriteDateText(*p, scratch.buf);
            scratch.text = DbValueText(v).toLower();
            return scratch.text;
        }
        scratch.text = TextOf(e, s.field)->toLower();  // shares the field when it has no capitals
        return scratch.text;
    }

    // The leading number of the side's text. Lowercasing never changes it
    // (Val reads only digits, signs, points, blanks and the letters e, d, h, o
    // in either case), so text fields are read as they stand.
    double Number(const Side& s, const LibraryEntry& e)
    {
        if (s.field == Field::Literal) return s.number;
        if (IsNumberField(s.field)) return double(NumberOf(e, s.field));
        if (IsDateField(s.field)) {
            const QVariant& v = DateOf(e, s.field);
            if (const auto p = StoredDate(v)) return DateNumber(*p);
            return Val(DbValueText(v));
        }
        return Val(*TextOf(e, s.field));
    }

    // The leading number of a date text is its "yyyy.mm"; there are few of them.
    double DateNumber(const DateParts& p)
    {
        const int key = p.year * 100 + p.month;
        const auto it = dateNumbers_.constFind(key);
        if (it != dateNumbers_.cend()) return *it;
        const double v = Val(DateText(p));
        dateNumbers_.insert(key, v);
        return v;
    }

    QHash<int, double> dateNumbers_;
};

// ---- " top " selection -----------------------------------------------------

struct TopLine {
    double count;
    Field field;
    QString literal;
};

std::optional<TopLine> ParseTopLine(QStringView line)
{
    const double n = VbInt(Val(line.toString()));
    if (!(n >= 1)) return std::nullopt;  // no number, or below 1: no selection
    const QString name = Trim(line.mid(line.lastIndexOf(u' ') + 1).toString());
    return TopLine{n, FieldByName(name), name};
}

// Keeps N results by the slot rule: the first N fill the slots; a later result
// whose value is above the minimum m (the least slot value, or the current
// date text if that is less) replaces the lowest-numbered slot holding m.
// The slots sit in a heap ordered by value, then slot number.
void ApplyTop(QVector<int32_t>& result, const TopLine& top, const LibraryDatabase& store, const Value& now)
{
    if (result.size() == 1 && result[0] < 0) return;
    if (double(result.size()) <= top.count) return;
    const int n = int(top.count);

    std::vector<Value> values;
    values.reserve(n);
    for (int i = 0; i < n; ++i) values.push_back(ValueOf(store.Files[result[i]], top.field, top.literal));
    const auto below = [&](int a, int b) {  // slot a ranks before slot b
        return values[a] < values[b] || (!(values[b] < values[a]) && a < b);
    };
    const auto heapOrder = [&](int a, int b) { return below(b, a); };
    std::vector<int> heap(n);
    for (int i = 0; i < n; ++i) heap[i] = i;
    std::make_heap(heap.begin(), heap.end(), heapOrder);

    QVector<int32_t> chosen(result.begin(), result.begin() + n);
    for (qsizetype i = n; i < result.size(); ++i) {
        const int least = heap.front();
        // With every slot above the date text, m is that text and no slot holds it.
        if (now < values[least]) break;
        Value v = ValueOf(store.Files[result[i]], top.field, top.literal);
        if (!(values[least] < v)) continue;
        std::pop_heap(heap.begin(), heap.end(), heapOrder);
        values[least] = std::move(v);
        chosen[least] = result[i];
        std::push_heap(heap.begin(), heap.end(), heapOrder);
    }
    result = std::move(chosen);
}

} // namespace

bool MatchesSearchText(const LibraryEntry& entry, QStringView searchText)
{
    if (searchText.isEmpty()) return true;
    const SearchHaystack& haystack = Haystack(entry);
    const Needle& needle = NeedleOf(searchText);
    // The standard library's search beats QString's rolling hash on these
    // short texts, by about a third.
    if (haystack.Wide()) return HoldsAll(haystack.Utf16(), needle.utf16);
    return needle.latin1Matches && HoldsAll(haystack.Latin1(), needle.latin1);
}

qsizetype PrepareSearchText(const LibraryDatabase& store, qsizetype from, qsizetype count)
{
    const qsizetype end = std::min(store.Files.size(), from + std::max<qsizetype>(count, 0));
    for (qsizetype i = std::max<qsizetype>(from, 0); i < end; ++i) Haystack(store.Files[i]);
    return std::max(from, end);
}

bool MatchesPattern(QStringView value, QStringView pattern)
{
    if (pattern.isEmpty()) return true;
    if (value.isEmpty()) return false;
    const qsizetype firstStar = pattern.indexOf(u'*');
    if (firstStar < 0) return value == pattern;
    const qsizetype lastStar = pattern.lastIndexOf(u'*');

    const QStringView head = pattern.left(firstStar);
    if (!value.startsWith(head)) return false;
    qsizetype pos = head.size();
    // Parts between stars, each at its first place after the one before;
    // taking the first place never loses a match.
    for (qsizetype p = firstStar + 1; p <= lastStar;) {
        const qsizetype next = pattern.indexOf(u'*', p);
        const QStringView part = pattern.sliced(p, next - p);
        if (!part.isEmpty()) {
            const qsizetype at = value.indexOf(part, pos);
            if (at < 0) return false;
            pos = at + part.size();
        }
        p = next + 1;
    }
    const QStringView tail = pattern.sliced(lastStar + 1);
    return value.size() - tail.size() >= pos && value.endsWith(tail);
}

QVariant GetFieldValue(const LibraryEntry& entry, const QString& name)
{
    const Value v = ValueOf(entry, FieldByName(name), name);
    if (const qint64* n = std::get_if<qint64>(&v)) return QVariant::fromValue(*n);
    return std::get<QString>(v);
}

bool EvaluateCriterion(const LibraryEntry& entry, const QString& line)
{
    const auto c = ParseCriterion(line);
    if (!c) return true;
    Evaluator ev;
    return ev.Holds(*c, entry);
}

QVector<int32_t> QueryIndices(const LibraryDatabase& store, const QString& script)
{
    // Parsed once; typed scripts end lines with LF, stored ones with CR LF.
    const QString lower = script.toLower();
    std::vector<Criterion> criteria;
    std::vector<TopLine> tops;
    for (QStringView line : QStringView(lower).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        // Every line is a criterion when it has an operator, " top " or not
        // ("title=over the top of it"); a " top " line is also a selection.
        if (line.contains(u" top "))
            if (auto t = ParseTopLine(line)) tops.push_back(std::move(*t));
        if (auto c = ParseCriterion(line)) criteria.push_back(std::move(*c));
    }

    QVector<int32_t> result;
    Evaluator ev;
    for (qsizetype i = 0; i < store.Files.size(); ++i) {
        const LibraryEntry& e = store.Files[i];
        if (std::all_of(criteria.begin(), criteria.end(), [&](const Criterion& c) { return ev.Holds(c, e); }))
            result.append(int32_t(i));
    }
    if (result.isEmpty()) result.append(-1);

    if (!tops.empty()) {
        const auto clock = PartsOf(CurrentDateTime());
        const Value now = clock ? DateText(*clock) : QString();
        for (const TopLine& t : tops) ApplyTop(result, t, store, now);
    }
    return result;
}

void RunQuery(LibraryDatabase& store, const QString& script)
{
    QVector<int32_t> result = QueryIndices(store, script);
    auto& entries = store.ListSets[ViewList].Entries;
    if (entries.isEmpty()) entries.resize(1);
    entries[0].Items = std::move(result);
}

void FilterByFieldValue(LibraryDatabase& store, const QString& field, const QString& value)
{
    const QString wanted = value.toLower();
    const QString name = field.toLower();
    QVector<int32_t> result;
    for (qsizetype i = 0; i < store.Files.size(); ++i) {
        if (wanted.isEmpty() || GetFieldValue(store.Files[i], name).toString().toLower() == wanted)
            result.append(int32_t(i));
    }
    if (result.isEmpty()) result.append(-1);
    auto& entries = store.ListSets[ViewList].Entries;
    if (entries.isEmpty()) entries.resize(1);
    entries[0].Items = std::move(result);
}

void RunQuery(const QString& script)
{
    RunQuery(Library, script);
}
