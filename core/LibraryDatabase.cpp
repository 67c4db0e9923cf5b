#include "core/LibraryDatabase.h"

#include "core/FilesDbKeys.h"
#include "core/FilesDbReader.h"
#include "core/HugePages.h"
#include "core/Runtime.h"

#include <QFile>

#include <algorithm>
#include <string_view>

using namespace dbfile;

void InitAudioDatabase()
{
    // FileTypes is a constant table, filled when the program is loaded.
    ResetDatabase(Library);
}

void ResetDatabase(LibraryDatabase& store)
{
    store.Files = QVector<LibraryEntry>(1);
    ClearListSets(store);
}

void LoadDatabase(LibraryDatabase& store)
{
    const QString path = DataFile(kFilesDb);
    FilesDbResult result;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            BuildListSets(store);
            return;
        }
        // Read, not mapped: another program shortening the file while it is
        // mapped would kill us with SIGBUS. In huge pages the read costs no
        // more than the mapping.
        const qint64 size = file.size();
        QByteArray bytes;
        qint64 got = 0;
        if (size > 0) {
            bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
            AskForHugePages(bytes.data(), size_t(size));
            got = std::max<qint64>(0, file.read(bytes.data(), size));
            bytes.truncate(qsizetype(got));
        }
        result = ReadFilesDb(std::string_view(bytes.constData(), size_t(bytes.size())));
        // A read error leaves part of the library unread: keep the file aside
        // before the next save can replace it with what was read.
        if (got != size && result.end == ReadEnd::Complete) result.end = ReadEnd::Lossy;
    }
    if (result.end != ReadEnd::Complete) KeepBadCopy(path);
    if (!result.records.isEmpty()) store.Files = std::move(result.records);
    BuildListSets(store);
    // After a format error the queue stays empty: its indices may name records that were not read.
    if (result.end == ReadEnd::FormatError) return;
    store.ListSets[PlayingQueue].Entries[0].Items = ReadPlayingDb(store);
}
