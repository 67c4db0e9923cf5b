#include "core/DeviceSync.h"

#include <QDir>
#include <QLocale>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

TEST(CleanPathComponent, HostileTagTextBecomesOneSafeComponent)
{
    const QString umlauts300 = QString(300, QChar(0xE4));
    const struct { QString text, extension, want; } rows[] = {
        {"AC/DC", "", "AC_DC"}, {"..", "", "_"}, {".", "", "_"}, {"", "", "_"}, {"  ", "", "_"},
        {"a:b*c\"d<e>f|g\\h?", "", "a_b_c_d_e_f_g_h_"}, {"Hits...", "", "Hits"}, {"Hits. . ", "", "Hits"},
        {"Tab\there", "", "Tab_here"}, {"Line\nfeed", "", "Line_feed"}, {"Ünïcødé ★", "", "Ünïcødé ★"},
        {"Song", "mp3", "Song.mp3"}, {"..", "mp3", "_..mp3"}, {"C", "mp3 ", "C.mp3"}, {"", "mp3", "_.mp3"},
        {".hidden", "", "_hidden"}, {". a.b.", "", "_ a.b"}, {".x", "ogg", "_x.ogg"},
        {umlauts300, "", QString(127, QChar(0xE4))},
        {umlauts300, "mp3", QString(125, QChar(0xE4)) + ".mp3"},
        {QString(254, u'a') + QChar(0x2605), "", QString(254, u'a')},  // no half character
    };
    for (const auto& r : rows) {
        const QString got = CleanPathComponent(r.text, r.extension);
        EXPECT_EQ(got, r.want) << r.text.toStdString() << " / " << r.extension.toStdString();
        EXPECT_LE(got.toUtf8().size(), 255);
    }
}

TEST(SyncTargetPath, EveryTargetLiesThreeLevelsInsideTheRoot)
{
    const QString alphabet = QStringLiteral("/\\.. :*?\"<>|\t\n\r\x01\x7f" "aä★");
    std::mt19937 random(16);
    const auto randomText = [&] {
        QString s;
        for (int n = int(random() % 12); n > 0; --n) s += alphabet[int(random() % alphabet.size())];
        if (random() % 50 == 0) s = QString(400, alphabet[int(random() % alphabet.size())]);
        return s;
    };
    const QString root = QStringLiteral("/media/stick");
    for (int i = 0; i < 10000; ++i) {
        LibraryEntry e;
        e.Tags = {.Title = randomText(), .Artist = randomText(), .Album = randomText()};
        e.FileName = QStringLiteral("/music/x.") + randomText();
        const QString target = SyncTargetPath(root, e);
        ASSERT_EQ(QDir::cleanPath(target), target) << target.toStdString();
        ASSERT_TRUE(target.startsWith(root + u'/'));
        const QStringList parts = target.mid(root.size() + 1).split(u'/');
        ASSERT_EQ(parts.size(), 3) << target.toStdString();
        for (const QString& p : parts) {
            ASSERT_FALSE(p.isEmpty() || p.startsWith(u'.')) << target.toStdString();
            ASSERT_LE(p.toUtf8().size(), 255);
        }
    }
    LibraryEntry abc;
    abc.Tags = {.Title = "C", .Artist = "A", .Album = "B"};
    abc.FileName = QStringLiteral("/music/c.mp3");
    EXPECT_EQ(SyncTargetPath(QStringLiteral("/media/stick/"), abc), QStringLiteral("/media/stick/A/B/C.mp3"));
}

TEST(SizeToText, StepsUpByTheRoundedNumberInTheUsersFormat)
{
    const struct { double bytes; const char *c, *german; } rows[] = {
        {0, "0 Bytes", "0 Bytes"}, {1023, "1023 Bytes", "1023 Bytes"}, {1536, "1.5 KB", "1,5 KB"},
        {1536768, "1.47 MB", "1,47 MB"},  // 1500,75 KB carried on, not read back as 1500
        {1610612736, "1.5 GB", "1,5 GB"}, {std::ldexp(1.0, 60), "1 EB", "1 EB"},
    };
    const QLocale saved;
    for (const auto& r : rows) {
        QLocale::setDefault(QLocale::c());
        EXPECT_EQ(SizeToText(r.bytes), QString::fromUtf8(r.c));
        QLocale::setDefault(QLocale::German);
        EXPECT_EQ(SizeToText(r.bytes), QString::fromUtf8(r.german));
    }
    QLocale::setDefault(saved);
}

TEST(FillSyncList, TakesTheSourcesRecordsOnlyAndLeavesTheViewAlone)
{
    LibraryDatabase source;
    source.Files.append(LibraryEntry());  // placeholder
    for (int i = 1; i <= 5; ++i) {
        LibraryEntry e;
        e.FileName = QStringLiteral("/m/%1.mp3").arg(i);
        e.Tags.Title = i == 4 ? QString() : QStringLiteral("T%1").arg(i);
        e.Rating = int16_t(i);
        e.SizeInMB = i;
        source.Files.append(e);
    }
    source.ListSets[ViewList].Entries = {{QString(), {2, 1}}};
    const SyncSource all{SyncSource::AllTitles, "Alle Titel", {}};
    const SyncSource playing{SyncSource::NowPlaying, "Aktuelle Wiedergabe", {}};
    const SyncSource rated{SyncSource::Playlist, "Gut", "rating>=3"};
    const SyncSource blank{SyncSource::Playlist, "Alles", "\r\n"};
    const struct { const SyncSource* source; QVector<int32_t> queue, want; } rows[] = {
        {&all, {}, {1, 2, 3, 5}}, {nullptr, {}, {-1}}, {&playing, {-1}, {-1}}, {&playing, {-1, 5}, {5}},
        {&playing, {-1, 3, 99999}, {3}}, {&playing, {0, 2, 2}, {2, 2}}, {&rated, {}, {3, 4, 5}},
        {&blank, {}, {1, 2, 3, 4, 5}},
    };
    for (const auto& r : rows) {
        LibraryDatabase db = source;
        db.ListSets[PlayingQueue].Entries = {{QString(), r.queue}};
        const SyncSummary s = FillSyncList(db, r.source);
        EXPECT_EQ(db.ListSets[SyncList].Entries[0].Items, r.want);
        double size = 0;
        for (int32_t i : r.want) size += i > 0 ? i : 0;
        const int count = r.want == QVector<int32_t>{-1} ? 0 : int(r.want.size());
        EXPECT_EQ(std::pair(s.Count, s.SizeMB), std::pair(count, size));
        EXPECT_EQ(db.ListSets[ViewList].Entries[0].Items, (QVector<int32_t>{2, 1}));
    }
    EXPECT_EQ(SyncCountText(12), QStringLiteral("Es befinden sich 12 Titel in der Synchronisations-Liste."));
    const double free = 10.0 * 1024 * 1024 * 1024;  // the warning from titles that fill the free space
    EXPECT_TRUE(SyncNeedsWarning(10.0 * 1024, free));
    EXPECT_FALSE(SyncNeedsWarning(9.99 * 1024, free));
}

TEST(SyncSources, ListsNamedPlaylistsWithQueriesInSlotOrder)
{
    std::array<DynPlaylist, DynPlaylistCount> lists{};
    lists[3] = {"Rock", "genre=rock"}, lists[1] = {"Leer", ""}, lists[7] = {"", "rating>3"}, lists[9] = {"Neu", "x"};
    QStringList names;
    for (const SyncSource& s : SyncSources(lists)) names << s.Name;
    EXPECT_EQ(names, (QStringList{"Alle Titel", "Aktuelle Wiedergabe", "Rock", "Neu"}));
}

} // namespace
