// The pure side of copying titles onto a device: which titles, how big, and
// where each one lands under the device's root (artist/album/title.ext).
#pragma once

#include "core/LibraryTypes.h"
#include "core/Settings.h"

#include <QString>
#include <QVector>
#include <array>
#include <cstdint>

// A byte count as a short text with unit, "Bytes" up to "EB": "1,47 MB".
QString SizeToText(double bytes);

// Tag text as one path component: "/", "\", control characters and
// : ? * " < > | become "_", trailing dots and blanks go, the component is cut
// to 255 UTF-8 bytes, and a leading dot (a hidden file) becomes "_", as does an
// empty name. A non-empty extension is appended after a dot and kept whole
// when the name is cut.
QString CleanPathComponent(const QString& text, const QString& extension = QString());

// root/artist/album/title.ext of the record, each part one clean component;
// the extension is the one of the record's file.
QString SyncTargetPath(const QString& root, const LibraryEntry& entry);

// An entry of the wizard's title list: what a tick there copies. The name and
// query of a dynamic playlist are taken when the list is made, so editing the
// playlists meanwhile changes nothing here.
struct SyncSource {
    enum Kind { AllTitles, NowPlaying, Playlist };
    Kind Type = AllTitles;
    QString Name;
    QString Query;
};

// "Alle Titel", "Aktuelle Wiedergabe", then every playlist slot with both a
// name and a query, in slot order.
QVector<SyncSource> SyncSources(const std::array<DynPlaylist, DynPlaylistCount>& playlists);

// The titles a source gives, in its order: all titles with a title text, the
// now-playing queue, or the playlist's query. Without a source, none. -1,
// indices that are no record and the placeholder record are left out.
QVector<int32_t> SyncTitles(const LibraryDatabase& store, const SyncSource* source);

struct SyncSummary {
    int Count = 0;
    double SizeMB = 0;  // sum of the records' SizeInMB
};

// Puts the source's titles into SyncList ([-1] for none) and sums them up.
// The view list is left alone.
SyncSummary FillSyncList(LibraryDatabase& store, const SyncSource* source);

// True when the titles may not fit: their size reaches the free space.
bool SyncNeedsWarning(double sizeMB, double freeBytes);

// "Es befinden sich n Titel in der Synchronisations-Liste."
QString SyncCountText(int count);
