// Loads arbitrary Files.db and Playing.db contents. An input is the text of
// Files.db, optionally followed by a line "--- Playing.db ---" and the text of
// Playing.db. Checks: nothing crashes; every queue item is -1 or a real record;
// every record is filed exactly once in each category set; a save of what was
// loaded loads back unchanged; the loader reads a record's values the way
// GetTagValue does.
#include "core/LibraryDatabase.h"
#include "core/Runtime.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what)
{
    if (ok) return;
    std::fprintf(stderr, "LibraryFilesFuzz: %s\n", what);
    std::abort();
}

const QString& Home()
{
    static QTemporaryDir dir;  // kept for the whole run
    static const QString path = [] {
        qputenv("SAROVIN_HOME", dir.path().toUtf8());
        return dir.path();
    }();
    return path;
}

void Put(const QString& name, const QByteArray* bytes)
{
    QFile f(Home() + u'/' + name);
    if (!bytes) {
        f.remove();
        return;
    }
    Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input");
    f.write(*bytes);
}

QByteArray Get(const QString& name)
{
    QFile f(Home() + u'/' + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

LibraryDatabase Load()
{
    for (const QString& bad : QDir(Home()).entryList({QStringLiteral("Files.db.bad*")}, QDir::Files))
        QFile::remove(Home() + u'/' + bad);
    LibraryDatabase store;
    ResetDatabase(store);
    LoadDatabase(store);
    return store;
}

void CheckStore(const LibraryDatabase& s)
{
    const qsizetype count = s.Files.size();
    Check(count >= 1, "no record at all");
    for (const ListSet& set : s.ListSets) Check(!set.Entries.isEmpty(), "a slot without an entry");
    for (int32_t item : s.ListSets[PlayingQueue].Entries[0].Items)
        Check(item == -1 || (item >= 0 && item < count && !s.Files[item].FileName.isEmpty()), "bad queue item");
    for (int slot : {ArtistSet, AlbumSet, GenreSet, BitrateSet, YearSet}) {
        QVector<int> seen(count, 0);
        for (const ListEntry& e : s.ListSets[slot].Entries)
            for (int32_t item : e.Items) {
                if (item == -1) continue;
                Check(item >= 0 && item < count, "bad category item");
                ++seen[item];
            }
        Check(seen.count(1) == count, "a record not filed exactly once");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    static const QByteArray marker("\n--- Playing.db ---\n");
    const qsizetype at = input.indexOf(marker);
    const QByteArray files = at < 0 ? input : input.left(at);
    const QByteArray playing = at < 0 ? QByteArray() : input.mid(at + marker.size());
    Put(QStringLiteral("Files.db"), &files);
    Put(QStringLiteral("Playing.db"), at < 0 ? nullptr : &playing);

    const LibraryDatabase loaded = Load();
    CheckStore(loaded);

    // Saved and loaded again, the count and queue stay; from the second save on
    // (numbers are written to 15 significant digits) the bytes stay too.
    Check(WriteDatabase(loaded).isEmpty(), "save failed");
    const LibraryDatabase again = Load();
    CheckStore(again);
    Check(again.Files.size() == loaded.Files.size(), "record count changed in a round trip");
    Check(again.ListSets[PlayingQueue].Entries[0].Items == loaded.ListSets[PlayingQueue].Entries[0].Items,
          "queue changed in a round trip");
    Check(WriteDatabase(again).isEmpty(), "second save failed");
    const QByteArray saved = Get(QStringLiteral("Files.db")) + Get(QStringLiteral("Playing.db"));
    Check(WriteDatabase(Load()).isEmpty(), "third save failed");
    Check(Get(QStringLiteral("Files.db")) + Get(QStringLiteral("Playing.db")) == saved, "a further save differs");

    // The input as the body of one record: the loader's values are GetTagValue's.
    const QString body = QString::fromUtf8(files);
    static const QRegularExpression recordMark(QStringLiteral("(^|[\r\n])</?\\d+>($|[\r\n])"));
    if (!body.contains(recordMark)) {
        const QByteArray wrapped = "<1>\r\n" + files + "\r\n</1>\r\n";
        Put(QStringLiteral("Files.db"), &wrapped);
        const LibraryDatabase one = Load();
        Check(one.Files.size() == 1, "one record expected");
        const LibraryEntry& e = one.Files[0];
        const std::pair<const char*, const QString*> texts[] = {
            {"Actions", &e.Actions}, {"FileName", &e.FileName}, {"newPath", &e.newPath},
            {"Tags.Album", &e.Tags.Album}, {"Tags.Artist", &e.Tags.Artist}, {"Tags.Comment", &e.Tags.Comment},
            {"Tags.Format", &e.Tags.Format}, {"Tags.Genre", &e.Tags.Genre}, {"Tags.Title", &e.Tags.Title},
            {"Tags.Track", &e.Tags.Track}, {"Tags.Year", &e.Tags.Year}, {"TagVer", &e.TagVer},
        };
        for (const auto& [key, value] : texts)
            Check(GetTagValue(body, QString::fromLatin1(key)).toString() == *value, "loader and GetTagValue differ");
        Check(GetTagValue(body, QStringLiteral("AddTime")).toString() == e.AddTime.toString(),
              "AddTime differs from GetTagValue");
    }
    return 0;
}
