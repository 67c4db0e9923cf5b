// Reading an M3U playlist back into library indices.
#pragma once

#include "core/LibraryTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// The path lines of an M3U text (UTF-8): split at LF, one trailing CR taken
// off each line, a leading byte order mark dropped; comment lines ("#"), empty
// lines and lines that are not an absolute path are left out. Nothing else is
// trimmed, so a path keeps its blanks.
QStringList M3UPaths(const QByteArray& bytes);

// The library indices of the titles an M3U file lists, in file order: a path
// the store holds is found by its exact file name (the first such record), a
// new one is added with AddFile, once, however often it is listed; a path
// AddFile refuses is skipped. Empty when the file cannot be read or lists no
// usable title.
QVector<int32_t> ReadM3U(LibraryDatabase& store, const QString& path);
