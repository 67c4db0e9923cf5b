#include "core/LibraryDatabase.h"
#include "tests/support/ProgramTest.h"

#include <random>

#include <gtest/gtest.h>

namespace {

// Entries as "caption|items".
QStringList Flat(const ListSet& set)
{
    QStringList out;
    for (const ListEntry& e : set.Entries) {
        QStringList items;
        for (int32_t i : e.Items) items << QString::number(i);
        out << e.Caption + u'|' + items.join(u' ');
    }
    return out;
}

// The worked rule is checked below; here the slots a build must start afresh.
TEST(ListSets, BuildClearsEverySlotFirst)
{
    LibraryDatabase store;
    store.Files = {LibraryEntry{}, LibraryEntry{}};
    store.Files[1].Tags.Artist = QStringLiteral("B");
    ClearListSets(store);
    store.ListSets[ArtistSet].Entries.append(ListEntry{QStringLiteral("alt"), {1, 2}});
    store.ListSets[PlayingQueue].Entries[0].Items = {1, 2};
    BuildListSets(store);
    EXPECT_EQ(Flat(store.ListSets[ArtistSet]), QStringList({"|0", "B|1"}));
    for (int slot : {PlayingQueue, ViewList, SyncList}) EXPECT_EQ(Flat(store.ListSets[slot]), QStringList({"|-1"}));
}

// The build against the plain rule, record by record, over captions that
// differ only in case, normalisation, a NUL or a BOM, many of them the same
// text at different addresses, and enough of them that the tables grow.
TEST(ListSets, BuildMatchesTheRecordByRecordRule)
{
    QStringList pool = {QString(), QStringLiteral(""), "a", "A", "ä", "a\u0308", "Ä", "ab", "ba", QString(QChar(0)),
                        QString::fromUtf16(u"x\0y", 3), QString::fromUtf16(u"x\0z", 3), "\uFEFF", "\uFEFFa"};
    for (int i = 0; i < 300; ++i) pool << QString::number(i) << QStringLiteral("ü%1").arg(i);
    std::mt19937 rng(7);
    auto pick = [&] {
        const QString& s = pool[qsizetype(rng() % pool.size())];
        // Half the time a copy of its own, as a synchronisation's tags are.
        return rng() % 2 ? s : QString(s.constData(), s.size());
    };
    const int16_t bitrates[] = {0, 128, 192, -1, 32767, -32768};
    LibraryDatabase store;
    for (int i = 0; i < 3000; ++i) {
        LibraryEntry e;
        e.Tags = {.Artist = pick(), .Album = pick(), .Year = pick(), .Bitrate = bitrates[rng() % std::size(bitrates)],
                  .Genre = pick()};
        store.Files.append(e);
    }
    BuildListSets(store);

    // Each record goes to the last entry of its caption, or a new one.
    QVector<ListEntry> want[ListSetCount];
    for (auto& w : want) w = {ListEntry{QString(), {-1}}};
    auto add = [&](int slot, int32_t index, const QString& caption) {
        QVector<ListEntry>& entries = want[slot];
        qsizetype i = entries.size() - 1;
        while (i >= 0 && entries[i].Caption != caption) --i;
        if (i < 0) entries.append(ListEntry{caption, {}}), i = entries.size() - 1;
        QVector<int32_t>& items = entries[i].Items;
        if (items.value(0) == -1) items.clear();
        items.append(index);
    };
    for (int32_t i = 0; i < store.Files.size(); ++i) {
        const TagInfo& t = store.Files[i].Tags;
        for (const auto& [slot, caption] : {std::pair{AlbumSet, t.Album}, {ArtistSet, t.Artist}, {GenreSet, t.Genre},
                                            {BitrateSet, QString::number(t.Bitrate)}, {YearSet, t.Year}})
            add(slot, i, caption);
    }
    for (int slot = 0; slot < ListSetCount; ++slot) ASSERT_EQ(Flat(store.ListSets[slot]), Flat({want[slot]})) << slot;
}

TEST(ListSets, AddToListSet)
{
    LibraryDatabase store;
    ClearListSets(store);
    EXPECT_EQ(AddToListSet(store, ArtistSet, 5, QStringLiteral("A")), 1);
    EXPECT_EQ(AddToListSet(store, ArtistSet, 6, QStringLiteral("A")), 0);
    EXPECT_EQ(AddToListSet(store, ArtistSet, 7, QString()), 0);
    EXPECT_EQ(Flat(store.ListSets[ArtistSet]), QStringList({"|7", "A|5 6"}));

    // Only a trailing -1 gives way; with duplicate captions the last entry is taken.
    store.ListSets[AlbumSet].Entries = {ListEntry{QString(), {-1, 3}}, ListEntry{QStringLiteral("X"), {1}},
                                        ListEntry{QStringLiteral("X"), {2, -1}}};
    EXPECT_EQ(AddToListSet(store, AlbumSet, 9, QStringLiteral("X")), 0);
    EXPECT_EQ(AddToListSet(store, AlbumSet, 8, QString()), 0);
    EXPECT_EQ(Flat(store.ListSets[AlbumSet]), QStringList({"|-1 3 8", "X|1", "X|2 9"}));
}

using PlayingQueueOfLibrary = ProgramTest;

TEST_F(PlayingQueueOfLibrary, AddToPlaying)
{
    ClearListSets(Library);
    EXPECT_EQ(AddToPlaying(0, 4), -1);
    EXPECT_EQ(Library.ListSets[PlayingQueue].Entries[0].Items, (QVector<int32_t>{-1, 4}));
    EXPECT_EQ(AddToPlaying(7, 4), 0);
    EXPECT_EQ(AddToPlaying(0, 2), -1);
    EXPECT_EQ(Library.ListSets[PlayingQueue].Entries[0].Items, (QVector<int32_t>{-1, 4, 2}));
}

} // namespace
