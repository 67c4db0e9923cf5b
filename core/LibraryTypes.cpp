#include "core/LibraryTypes.h"

LibraryDatabase Library;

const std::array<QString, 10> FileTypes = {
    QStringLiteral("Datei"), QStringLiteral("MPEG"), QStringLiteral("WMA"), QStringLiteral("MONKEY"),
    QStringLiteral("FLAC"), QStringLiteral("WAV"), QStringLiteral("OGG"), QStringLiteral("MPP"),
    QStringLiteral("AAC"), QStringLiteral("MP4"),
};
