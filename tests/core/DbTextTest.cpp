#include "core/DbText.h"
#include "core/Genres.h"

#include <gtest/gtest.h>

TEST(DbText, DatesAndNumbersInTheFixedForm)
{
    const QDateTime dt(QDate(2026, 12, 5), QTime(15, 7, 38));
    EXPECT_EQ(FormatDbDateTime(dt), QStringLiteral("05.12.2026 15:07:38"));
    EXPECT_EQ(ParseDbDateTime(u"05.12.2026 15:07:38"), dt);
    EXPECT_EQ(ParseDbDateTime(u" 05.12.2026 "), QDateTime(QDate(2026, 12, 5), QTime(0, 0)));
    EXPECT_EQ(QStringList({DbValueText(QVariant(dt)), DbValueText(QVariant(QStringLiteral("(noch nie)"))),
                           DbValueText(QVariant())}),
              QStringList({"05.12.2026 15:07:38", "(noch nie)", ""}));
    for (const char16_t* bad : {u"", u"(noch nie)", u"31.02.2026", u"05.12.2026 25:00:00",
                                u"05-12-2026", u"5.12.2026", u"05.12.2026 15:07", u"05.12.2026x15:07:38"})
        EXPECT_FALSE(ParseDbDateTime(bad).has_value()) << QString::fromUtf16(bad).toStdString();

    EXPECT_EQ(FormatDbNumber(1234567.25), QStringLiteral("1234567,25"));
    for (const auto& [text, value] : {std::pair{u"3,5", 3.5}, {u"3.5", 3.5}, {u"-2", -2.0}, {u"1,5E-05", 1.5e-05}})
        EXPECT_EQ(ParseDbNumber(text), value);
    for (const char16_t* bad : {u"", u"x", u"3,5x", u"1 000", u"1e999", u"--1"})
        EXPECT_FALSE(ParseDbNumber(bad).has_value());
}

TEST(Genres, TableAndReverseLookup)
{
    struct Case { int n; const char* name; } cases[] = {
        {0, "Blues"}, {40, "AlternRock"}, {67, "Psychadelic"}, {79, "Hard Rock"}, {80, "Folk"}, {85, "Bebob"},
        {123, "A capella"}, {125, "Dance Hall"}, {126, ""}, {-1, ""}, {255, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetGenreName(c.n), QString::fromLatin1(c.name)) << c.n;
        if (*c.name) {
            EXPECT_EQ(GetGenreNumber(QString::fromLatin1(c.name)), c.n);
        }
    }
    EXPECT_EQ(GetGenreNumber(QStringLiteral("rock")), -1);
    EXPECT_EQ(GetGenreNumber(QString()), -1);
    EXPECT_EQ(GenreNames().size(), 126);
}
