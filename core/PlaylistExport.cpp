#include "core/PlaylistExport.h"

#include "core/WholeFile.h"

#include <QByteArray>
#include <QUrl>

#include <cerrno>

namespace {

constexpr char kEol[] = "\r\n";

// An item names a file we can write as one line of a playlist.
const LibraryEntry* ExportedEntry(const LibraryDatabase& store, int32_t index)
{
    if (!IsValidLibraryIndex(store, index)) return nullptr;
    const LibraryEntry& e = store.Files[index];
    if (e.FileName.isEmpty() || e.FileName.contains(u'\r') || e.FileName.contains(u'\n')) return nullptr;
    return &e;
}

template <class Write>
bool ForEachItem(const LibraryDatabase& store, int listIndex, Write write)
{
    if (listIndex < 0 || listIndex >= ListSetCount) return false;
    for (const ListEntry& entry : store.ListSets[listIndex].Entries)
        for (int32_t index : entry.Items)
            if (const LibraryEntry* e = ExportedEntry(store, index)) write(index, *e);
    return true;
}

QString OneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

// Element text: line breaks become blanks, markup characters are escaped and
// what XML 1.0 does not allow (other control characters, U+FFFE, U+FFFF,
// unpaired surrogates) is dropped.
QString XmlText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF) {
            continue;
        } else if (u == u'\r' || u == u'\n') {
            out += u' ';
        } else if (u < 0x20) {
            continue;
        } else if (u == u'&') {
            out += QLatin1String("&amp;");
        } else if (u == u'<') {
            out += QLatin1String("&lt;");
        } else if (u == u'>') {
            out += QLatin1String("&gt;");
        } else {
            out += c;
        }
    }
    return out;
}

// An invalid list set writes nothing; otherwise the file is written whole.
bool WriteExport(bool valid, const QString& path, const QString& text, QString* reason)
{
    if (!valid) {
        if (reason) *reason = SystemErrorText(EINVAL);
        return false;
    }
    const QString failure = WriteWholeFile(path, text.toUtf8());
    if (reason) *reason = failure;
    return failure.isEmpty();
}

} // namespace

QString GetM3UTitle(const LibraryDatabase& store, int64_t index)
{
    if (!IsValidLibraryIndex(store, index)) return QString();
    const TagInfo& t = store.Files[index].Tags;
    QString x;
    if (!t.Album.isEmpty()) x += QStringLiteral("by '") + t.Album + QStringLiteral("' ");
    if (!t.Artist.isEmpty()) x += QStringLiteral("from '") + t.Artist + u'\'';
    return x.isEmpty() ? t.Title : t.Title + QStringLiteral(" - ") + x;
}

QString GetM3UTitle(int64_t index)
{
    return GetM3UTitle(Library, index);
}

bool SaveM3U(const LibraryDatabase& store, int listIndex, const QString& path, QString* reason)
{
    QString text = QStringLiteral("#EXTM3U") + QLatin1String(kEol);
    const bool valid = ForEachItem(store, listIndex, [&](int32_t index, const LibraryEntry& e) {
        text += QStringLiteral("#EXTINF:") + QString::number(e.Tags.Lenght) + u','
              + OneLine(GetM3UTitle(store, index)) + QLatin1String(kEol);
        text += e.FileName + QLatin1String(kEol);
    });
    return WriteExport(valid, path, text, reason);
}

bool SaveM3U(int listIndex, const QString& path, QString* reason)
{
    return SaveM3U(Library, listIndex, path, reason);
}

bool SaveXSPF(const LibraryDatabase& store, int listIndex, const QString& path, QString* reason)
{
    QString text;
    const auto line = [&](QStringView s) {
        text += s;
        text += QLatin1String(kEol);
    };
    line(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    line(u"<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">");
    line(u"  <trackList>");
    const bool valid = ForEachItem(store, listIndex, [&](int32_t, const LibraryEntry& e) {
        const QString location = QString::fromLatin1(QUrl::fromLocalFile(e.FileName).toEncoded());
        line(u"    <track>");
        line(QStringLiteral("      <title>") + XmlText(e.Tags.Title) + QStringLiteral("</title>"));
        line(QStringLiteral("      <creator>") + XmlText(e.Tags.Artist) + QStringLiteral("</creator>"));
        line(QStringLiteral("      <location>") + XmlText(location) + QStringLiteral("</location>"));
        line(u"    </track>");
    });
    line(u"  </trackList>");
    line(u"</playlist>");
    return WriteExport(valid, path, text, reason);
}

bool SaveXSPF(int listIndex, const QString& path, QString* reason)
{
    return SaveXSPF(Library, listIndex, path, reason);
}
