#include "app/CommandLine.h"

#include "core/LibrarySync.h"
#include "core/VbHelpers.h"

#include <QDir>
#include <cmath>

CommandLineRequest ParseCommandLine(const QString& commandLine, const QString& workingFolder)
{
    if (commandLine.isEmpty()) return {CommandLineRequest::Resume, QString()};
    const qsizetype slash = commandLine.lastIndexOf(u'/');
    if (slash < 0) return {};
    if (commandLine.mid(slash + 1).toLower() != QLatin1String("play")) return {};
    QString file = Trim(commandLine.left(slash));
    file.remove(u'"');
    if (file.isEmpty()) return {};
    return {CommandLineRequest::Play, QDir::cleanPath(QDir(workingFolder).absoluteFilePath(file))};
}

int32_t FindLibraryFile(const LibraryDatabase& store, const QString& path)
{
    if (path.isEmpty()) return -1;  // never the placeholder entry
    int32_t caseless = -1;
    for (qsizetype i = store.Files.size() - 1; i >= 0; --i) {
        const QString& name = store.Files[i].FileName;
        if (name == path) return static_cast<int32_t>(i);
        if (caseless < 0 && name.compare(path, Qt::CaseInsensitive) == 0)
            caseless = static_cast<int32_t>(i);
    }
    return caseless;
}

int32_t LibraryIndexForPlay(LibraryDatabase& store, const QString& path)
{
    const int32_t found = FindLibraryFile(store, path);
    if (found >= 0) return found;
    if (!AddFile(store, path)) return -1;
    return static_cast<int32_t>(store.Files.size() - 1);
}

ResumePoint ResumePointFor(const SettingsRecord& settings, const LibraryDatabase& store)
{
    ResumePoint point;
    const int32_t track = settings.LastTrack;
    if (!IsValidLibraryIndex(store, track) || store.Files[track].FileName.isEmpty()) return point;
    point.track = track;
    const double position = settings.LastPosition - 1.0;
    // A position past the title's known end (a damaged settings file) starts it afresh.
    const int32_t length = store.Files[track].Tags.Lenght;
    const bool beyond = length > 0 && settings.LastPosition > length;
    point.position = std::isfinite(position) && position > 0 && !beyond ? position : 0.0;
    point.paused = settings.LastPaused != 0;
    return point;
}
