// The fields of Files.db by their keys, in the order the writer puts them,
// and the names of the two library files; shared by the loader and the writer.
#pragma once

#include <QLatin1StringView>
#include <QString>

#include <string_view>

namespace dbfile {

// The keys of Files.db in the order they are written.
enum Key : int {
    kActions, kAddTime, kFileName, kNewPath, kPlayCNT, kPlayTime, kRating, kSizeInMB,
    kAlbum, kArtist, kBitrate, kComment, kFormat, kGenre, kLenght, kTitle, kTrack, kYear,
    kTagVer, kKeyCount
};

constexpr QLatin1StringView kKeys[kKeyCount] = {
    QLatin1StringView("Actions"), QLatin1StringView("AddTime"), QLatin1StringView("FileName"),
    QLatin1StringView("newPath"), QLatin1StringView("PlayCNT"), QLatin1StringView("PlayTime"),
    QLatin1StringView("Rating"), QLatin1StringView("SizeInMB"), QLatin1StringView("Tags.Album"),
    QLatin1StringView("Tags.Artist"), QLatin1StringView("Tags.Bitrate"), QLatin1StringView("Tags.Comment"),
    QLatin1StringView("Tags.Format"), QLatin1StringView("Tags.Genre"), QLatin1StringView("Tags.Lenght"),
    QLatin1StringView("Tags.Title"), QLatin1StringView("Tags.Track"), QLatin1StringView("Tags.Year"),
    QLatin1StringView("TagVer"),
};

inline std::string_view KeyBytes(int k)
{
    return std::string_view(kKeys[k].data(), size_t(kKeys[k].size()));
}

inline const QString kFilesDb = QStringLiteral("Files.db");
inline const QString kPlayingDb = QStringLiteral("Playing.db");

} // namespace dbfile
