#include "core/DeviceSync.h"

#include "core/Files.h"
#include "core/Search.h"
#include "core/SizeText.h"

namespace {

// The longest file-name component of the usual file systems, in bytes.
constexpr qsizetype MaxComponentBytes = 255;

bool IsRefused(QChar c)
{
    switch (c.unicode()) {
    case u'/': case u'\\': case u':': case u'?': case u'*':
    case u'"': case u'<': case u'>': case u'|':
        return true;
    default:
        return c.category() == QChar::Other_Control;
    }
}

QString ReplaceRefused(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (IsRefused(c)) c = u'_';
    return out;
}

QString ChopTrailingDotsAndBlanks(QString text)
{
    qsizetype n = text.size();
    while (n > 0 && (text[n - 1] == u'.' || text[n - 1] == u' ')) --n;
    text.truncate(n);
    return text;
}

// The longest start of the text that fits the bytes, cut between characters.
QString CutToUtf8Bytes(const QString& text, qsizetype bytes)
{
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= bytes) return text;
    qsizetype n = bytes;
    while (n > 0 && (static_cast<uint8_t>(utf8[n]) & 0xC0) == 0x80) --n;
    utf8.truncate(n);
    return QString::fromUtf8(utf8);
}

} // namespace

QString SizeToText(double bytes)
{
    static const QStringList units{QStringLiteral("Bytes"), QStringLiteral("KB"), QStringLiteral("MB"),
                                   QStringLiteral("GB"),    QStringLiteral("TB"), QStringLiteral("PB"),
                                   QStringLiteral("EB")};
    return SizeLadderText(bytes, units);
}

QString CleanPathComponent(const QString& text, const QString& extension)
{
    QString suffix;
    if (!extension.isEmpty()) suffix = ChopTrailingDotsAndBlanks(u'.' + ReplaceRefused(extension));
    // An extension that leaves no room for a name is cut like the rest.
    if (suffix.toUtf8().size() >= MaxComponentBytes) suffix.clear();

    QString name = ReplaceRefused(text);
    if (suffix.isEmpty())
        name = ChopTrailingDotsAndBlanks(CutToUtf8Bytes(ChopTrailingDotsAndBlanks(name), MaxComponentBytes));
    else
        name = CutToUtf8Bytes(name, MaxComponentBytes - suffix.toUtf8().size());
    // Players and car stereos skip hidden names; "_" has the dot's one byte.
    if (name.isEmpty()) name = QStringLiteral("_");
    else if (name[0] == u'.') name[0] = u'_';
    return name + suffix;
}

QString SyncTargetPath(const QString& root, const LibraryEntry& entry)
{
    QString path = root;
    if (!path.endsWith(u'/')) path += u'/';
    return path + CleanPathComponent(entry.Tags.Artist) + u'/' + CleanPathComponent(entry.Tags.Album) + u'/'
           + CleanPathComponent(entry.Tags.Title, GetFileExtension(entry.FileName));
}

QVector<SyncSource> SyncSources(const std::array<DynPlaylist, DynPlaylistCount>& playlists)
{
    QVector<SyncSource> sources{{SyncSource::AllTitles, QStringLiteral("Alle Titel"), {}},
                                {SyncSource::NowPlaying, QStringLiteral("Aktuelle Wiedergabe"), {}}};
    for (const DynPlaylist& p : playlists)
        if (!p.Name.isEmpty() && !p.Query.isEmpty()) sources.append({SyncSource::Playlist, p.Name, p.Query});
    return sources;
}

QVector<int32_t> SyncTitles(const LibraryDatabase& store, const SyncSource* source)
{
    if (!source) return {};
    QVector<int32_t> items;
    switch (source->Type) {
    case SyncSource::AllTitles:
        items = QueryIndices(store, QStringLiteral("title=*"));
        break;
    case SyncSource::NowPlaying:
        if (!store.ListSets[PlayingQueue].Entries.isEmpty()) items = store.ListSets[PlayingQueue].Entries[0].Items;
        break;
    case SyncSource::Playlist:
        items = QueryIndices(store, source->Query);
        break;
    }
    items.removeIf([&](int32_t i) { return !IsValidLibraryIndex(store, i) || store.Files[i].FileName.isEmpty(); });
    return items;
}

SyncSummary FillSyncList(LibraryDatabase& store, const SyncSource* source)
{
    QVector<int32_t> titles = SyncTitles(store, source);
    SyncSummary summary;
    summary.Count = int(titles.size());
    for (int32_t i : titles) summary.SizeMB += store.Files[i].SizeInMB;
    if (titles.isEmpty()) titles.append(-1);

    auto& entries = store.ListSets[SyncList].Entries;
    if (entries.isEmpty()) entries.resize(1);
    entries[0].Items = std::move(titles);
    return summary;
}

bool SyncNeedsWarning(double sizeMB, double freeBytes)
{
    return sizeMB >= freeBytes / 1024 / 1024;
}

QString SyncCountText(int count)
{
    return QStringLiteral("Es befinden sich %1 Titel in der Synchronisations-Liste.").arg(count);
}
