// sarovin-tagsave: the helper of the tag save. Started by the player for one
// job (on standard input), under the player's limits; whatever TagLib or
// FFmpeg do with a damaged file ends here. Reports through its exit status.
#include "core/TagSaveJob.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "sound/AudioCheck.h"

#include <QFile>

#include <cstdio>

int main()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) return int(TagJobStatus::BadJob);
    const std::optional<TagSaveJob> job = ParseTagSaveJob(in.readAll());
    if (!job) return int(TagJobStatus::BadJob);
    const auto audioSame = [](const QString& original, const QString& copy) {
        return snd::CompareAudio(QFile::encodeName(original).toStdString(), QFile::encodeName(copy).toStdString()) ==
               snd::AudioMatch::Same;
    };
    const TagJobStatus status = RunTagSaveJob(*job, ProgramTagWriter(), ProgramTagReader(), audioSame);
    if (status != TagJobStatus::Done)
        std::fprintf(stderr, "sarovin-tagsave: %s: status %d\n", qPrintable(job->name), int(status));
    return int(status);
}
