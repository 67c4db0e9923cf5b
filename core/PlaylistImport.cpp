#include "core/PlaylistImport.h"

#include "core/LibrarySync.h"

#include <QDir>
#include <QFile>
#include <QHash>

QStringList M3UPaths(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QStringList paths;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#') || !QDir::isAbsolutePath(line)) continue;
        paths.append(line);
    }
    return paths;
}

QVector<int32_t> ReadM3U(LibraryDatabase& store, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QStringList paths = M3UPaths(file.readAll());
    file.close();

    QHash<QString, int32_t> byName;
    byName.reserve(store.Files.size());
    for (qsizetype i = store.Files.size() - 1; i >= 0; --i)  // the first of equal names wins
        if (!store.Files[i].FileName.isEmpty()) byName.insert(store.Files[i].FileName, int32_t(i));

    QVector<int32_t> titles;
    for (const QString& p : paths) {
        auto it = byName.constFind(p);
        if (it == byName.constEnd()) {
            if (!AddFile(store, p)) continue;
            it = byName.insert(p, int32_t(store.Files.size() - 1));
        }
        titles.append(*it);
    }
    return titles;
}
