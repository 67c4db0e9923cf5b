#include "core/Clock.h"
#include "core/Search.h"
#include "tests/support/ProgramTest.h"

#include <gtest/gtest.h>

namespace {

struct Song {
    const char *title, *artist, *genre, *year;
    int rating, played;
    QVariant added;
    const char* file;
};

LibraryDatabase MakeLibrary(std::initializer_list<Song> songs)
{
    LibraryDatabase db;
    db.Files.append(LibraryEntry());  // the placeholder record, all empty
    for (const Song& s : songs)
        db.Files.append(LibraryEntry{.FileName = s.file,
                                     .Tags = {.Title = s.title, .Artist = s.artist, .Year = s.year, .Lenght = 200,
                                              .Genre = s.genre, .Track = "3"},
                                     .AddTime = s.added, .PlayTime = "(noch nie)", .PlayCNT = s.played,
                                     .Rating = int16_t(s.rating)});
    return db;
}

QVariant Loaded(const char* text) { return QString::fromLatin1(text); }
QVariant Made(int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(12, 0)); }

LibraryDatabase Sample()
{
    return MakeLibrary({
        {"Abc", "Banana", "Rock", "2005", 3, 3, Loaded("11.11.2007 14:05:09"), "/m/a.ogg"},
        {"abcd", "Abba", "Pop", "1999", 5, 9, Made(2007, 6, 30), "/m/b.oggz"},
        {"Why?", "Ana", "rock", "2009", 1, 1, Loaded("01.07.2007"), "/m/c.mp3"},
        {"what? now", "", "Rock & Roll", "2010", 0, 4, Made(2008, 1, 2), "/m/d.mp3"},
        {"Over the Top of it", "Zed", "Jazz", "2000", 4, 7, Loaded("kaputt"), "/m/my top hits/e.mp3"},
        {"", "Nobody", "Jazz", "", 2, 8, QVariant(), "/m/f.mp3"},
    });
}

QVector<int32_t> Query(LibraryDatabase& db, const char* script)
{
    RunQuery(db, QString::fromUtf8(script));
    return db.ListSets[ViewList].Entries[0].Items;
}

} // namespace

TEST(RunQuery, SelectsTheRecordsEveryLineHoldsFor)
{
    const struct { const char* script; QVector<int32_t> want; } cases[] = {
        {"", {0, 1, 2, 3, 4, 5, 6}},
        {"no operator here", {0, 1, 2, 3, 4, 5, 6}},
        {"rating<2", {0, 3, 4}},
        {"rating>=3", {1, 2, 5}},
        {" rating >= 3 ", {1, 2, 5}},
        {"rating<>3", {0, 2, 3, 4, 5, 6}},
        {"3<rating", {2, 5}},
        {"timesplayed>rating", {2, 4, 5, 6}},
        {"genre<>rock", {0, 2, 4, 5, 6}},
        {"Genre=ROCK", {1, 3}},
        {"title=*", {1, 2, 3, 4, 5}},
        {"title=abc", {1}},
        {"filename=*.ogg", {1}},
        {"artist=*a", {1, 2, 3}},
        {"title=*?", {3}},
        {"track<>", {-1}},
        {"year=200*", {1, 3, 5}},
        {"addtime>2007.06", {1, 3, 4}},
        {"addtime=2007.11.11 14:05:09", {1}},  // loaded text and made dates read alike
        {"addtime=2007.06.30 12:00:00", {2}},
        {"addtime=2007.07.01 00:00:00", {3}},
        {"addtime=kaputt", {5}},
        {"rating>=2>=5", {2}},  // left before the first operator, right after the last
        {"timeplayed=(noch nie)", {1, 2, 3, 4, 5, 6}},
        {"1<2", {0, 1, 2, 3, 4, 5, 6}},
        {"2<1", {-1}},
        {"nosuchfield=nosuchfield", {0, 1, 2, 3, 4, 5, 6}},
        {"a=>b", {-1}},  // "=" and ">" but no ">=": the operator is ">"
        {"genre=*rock*\r\nrating>=3", {1}},
        {"genre=*rock*\nrating>=3\n", {1}},
        {"rating>=3\r\n2 top timesplayed", {5, 2}},
        {"0 top rating", {0, 1, 2, 3, 4, 5, 6}},
        {"top 1 rating", {0, 1, 2, 3, 4, 5, 6}},
        {"rating=5\r\n3 top rating", {2}},
        {"rating=9\r\n1 top rating", {-1}},
        {"title=over the top of it", {5}},  // criteria although they hold " top "
        {"filename=*/my top hits/*", {5}},
        {"2 top rating", {2, 5}},            // no operator: a selection only
    };
    LibraryDatabase db = Sample();
    for (const auto& c : cases) EXPECT_EQ(Query(db, c.script), c.want) << c.script;
}

TEST(RunQuery, EmptyLibraryGivesTheEmptyList)
{
    LibraryDatabase db;
    EXPECT_EQ(Query(db, ""), QVector<int32_t>{-1});
    EXPECT_EQ(db.ListSets[ViewList].Entries.size(), 1);
}

TEST(RunQuery, TopSelectionKeepsItsSlotOrder)
{
    const struct { QVector<int> counts; const char* script; QVector<int32_t> want; } cases[] = {
        {{3, 9, 1, 4, 7, 8}, "3 top timesplayed", {5, 2, 6}},  // slots end as 7, 9, 8
        {{5, 1, 1, 9}, "3 top timesplayed", {1, 4, 3}},        // the lower of two equal slots goes
        {{5, 5, 5, 5}, "2 top timesplayed", {1, 2}},           // an equal value replaces nothing
        {{2, 1}, "5 top timesplayed", {1, 2}},
        {{2, 1}, "1e9 top timesplayed", {1, 2}},
    };
    for (const auto& c : cases) {
        LibraryDatabase db;
        db.Files.resize(1);
        for (int n : c.counts) db.Files.append(LibraryEntry{.FileName = "x", .PlayCNT = n});
        EXPECT_EQ(Query(db, QStringLiteral("filename=x\r\n%1").arg(c.script).toUtf8()), c.want) << c.script;
    }
}

using QueryClock = ProgramTest;

TEST_F(QueryClock, TopOfADateStartsFromTheClock)
{
    LibraryDatabase db = MakeLibrary({
        {"a", "", "", "", 0, 0, Made(2011, 5, 5), "/a"},
        {"b", "", "", "", 0, 0, Made(2012, 5, 5), "/b"},
    });
    // With the clock before both dates no slot holds the minimum, the clock's text.
    SetWallClock([] { return QDateTime(QDate(2010, 1, 1), QTime(0, 0)); });
    EXPECT_EQ(Query(db, "title=*\n1 top addtime"), QVector<int32_t>{1});
    SetWallClock([] { return QDateTime(QDate(2013, 1, 1), QTime(0, 0)); });
    EXPECT_EQ(Query(db, "title=*\n1 top addtime"), QVector<int32_t>{2});
}

TEST(MatchesPattern, StarMatchesAnyRun)
{
    const struct { const char* value; const char* pattern; bool want; } cases[] = {
        {"abc", "", true}, {"", "", true}, {"", "*", false}, {"ab", "abc", false}, {"ABC", "abc", false},
        {"abc", "**", true}, {"abc", "a**c", true}, {"a", "a*a", false}, {"aba", "a*a", true},
        {"ab", "ab*b", false}, {"axbxc", "a*b*c", true}, {"acb", "a*b*c", false},
        {"abab", "*ab*ab", true}, {"ab", "*ab*ab", false}, {"xrocx", "*rock*", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPattern(QString::fromUtf8(c.value), QString::fromUtf8(c.pattern)), c.want)
            << c.value << " ~ " << c.pattern;
}

TEST(MatchesSearchText, EveryWordOccursSomewhereInTheTags)
{
    LibraryDatabase db = MakeLibrary({{"Beat Of Löve", "Abba", "Pop", "1979", 0, 0, {}, "/secret.mp3"}});
    const struct { const char* text; bool want; } cases[] = {
        {"", true}, {"eat", true}, {"löve beat", true}, {"beat  löve", true}, {"beat hate", false},
        {"pop abba 3 1979", true}, {"popabba", false}, {"Beat", false}, {"secret", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesSearchText(db.Files[1], QString::fromUtf8(c.text)), c.want) << c.text;
    EXPECT_TRUE(MatchesSearchText(db.Files[0], u""));
}

TEST(MatchesSearchText, LowerCaseBeyondAscii)
{
    const struct { const char *title, *artist, *text; bool want; } cases[] = {
        {"ÀÉÎÕÜ×Þ", "ß ÿ µ", "àéîõü×þ ß", true},  {"ÀÉÎÕÜ", "", "ÀÉÎÕÜ", false},
        {"Ünïcødé ★", "", "ünïcødé ★", true},       {"Ünïcødé ★", "", "unicode", false},
        {"ΣΟΦΙΑ", "Москва", "σοφια москва", true}, {"ΣΟΦΙΑ", "", "ΣΟΦΙΑ", false},
        {"Москва", "Löve", "löve", true},          {"Beat Of Löve", "", "löve ★", false},
        {"\u0178 \u212A", "", "ÿ k", true},        {"Beat", "", "beat σ", false},
    };
    for (const auto& c : cases) {
        LibraryDatabase db = MakeLibrary({{c.title, c.artist, "", "", 0, 0, {}, "/a"}});
        EXPECT_EQ(MatchesSearchText(db.Files[1], QString::fromUtf8(c.text)), c.want) << c.title << " ~ " << c.text;
    }
}

TEST(MatchesSearchText, FollowsEveryChangeOfTheRecord)
{
    LibraryEntry e;
    e.Tags.Title = QStringLiteral("Alpha");
    ASSERT_TRUE(MatchesSearchText(e, u"alpha"));

    e.Tags.Title = QStringLiteral("Beta");  // assigned
    EXPECT_FALSE(MatchesSearchText(e, u"alpha"));
    e.Tags.Title[0] = u'Z';  // changed in place
    EXPECT_TRUE(MatchesSearchText(e, u"zeta"));

    e.Tags.Year.append(u"2001");  // grown in place
    EXPECT_TRUE(MatchesSearchText(e, u"2001"));

    LibraryEntry copy = e;  // a copy changes apart from the original
    copy.Tags.Artist = QStringLiteral("Gamma");
    EXPECT_TRUE(MatchesSearchText(copy, u"gamma zeta"));
    EXPECT_FALSE(MatchesSearchText(e, u"gamma"));

    e.Tags.Title = QString::fromUtf8("Zeta");  // the same text in a new buffer
    EXPECT_TRUE(MatchesSearchText(e, u"zeta 2001"));
    e.Tags.Title = QString::fromUtf8("Ωmega");  // beyond Latin-1
    EXPECT_TRUE(MatchesSearchText(e, u"ωmega 2001"));
    EXPECT_FALSE(MatchesSearchText(e, u"zeta"));
}
