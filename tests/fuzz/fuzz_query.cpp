// RunQuery over arbitrary scripts: never crashes, and the view list is either
// the empty marker [-1] or distinct valid library indices.
#include "core/Clock.h"
#include "core/Search.h"

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

LibraryDatabase MakeLibrary()
{
    LibraryDatabase db;
    db.Files.resize(1);  // the empty placeholder record
    const char* const titles[] = {"Abc", "why?", "", "Rock & Roll", "*", "Grüße \U0001F3B5"};
    for (int i = 0; i < 12; ++i) {
        LibraryEntry e{.FileName = QStringLiteral("/m/%1.mp3").arg(i),
                       .Tags = {.Title = QString::fromUtf8(titles[i % 6]), .Artist = i % 2 ? "Abba" : "",
                                .Year = QString::number(1995 + i), .Lenght = i * 37, .Bitrate = int16_t(i * 32),
                                .Genre = i % 3 ? "Rock" : "Pop", .Track = QString::number(i)},
                       .PlayTime = i % 2 ? QVariant("(noch nie)") : QVariant(QDateTime(QDate(2010, 5, 5), QTime())),
                       .PlayCNT = i % 4 == 3 ? -i : i * 3 % 7, .Rating = int16_t(i % 6)};
        if (i % 3 == 0) e.AddTime = QDateTime(QDate(2000 + i, 1 + i, 1), QTime(i, i, i));
        else e.AddTime = i % 3 == 1 ? QStringLiteral("0%1.06.2007 14:05:09").arg(i % 9 + 1) : QStringLiteral("kaputt");
        db.Files.append(e);
    }
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static LibraryDatabase db = [] {
        SetWallClock([] { return QDateTime(QDate(2009, 1, 1), QTime(12, 0)); });
        return MakeLibrary();
    }();
    const QString script = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    RunQuery(db, script);

    const QVector<int32_t>& items = db.ListSets[ViewList].Entries.value(0).Items;
    if (items.isEmpty()) std::abort();
    if (!(items.size() == 1 && items[0] == -1)) {
        std::set<int32_t> seen;
        for (int32_t i : items)
            if (!IsValidLibraryIndex(db, i) || !seen.insert(i).second) std::abort();
    }
    for (const LibraryEntry& e : db.Files) MatchesSearchText(e, script.toLower());
    return 0;
}
