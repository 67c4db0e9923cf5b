// The genre list of ID3v1 tags, numbers 0..125.
#pragma once

#include <QString>
#include <QStringList>

// The name of a genre number; "" outside 0..125.
QString GetGenreName(int number);
// The number of a genre name (exact comparison); -1 when the name is not in the list.
int GetGenreNumber(const QString& name);
// All 126 names in number order (the tag editor's list).
const QStringList& GenreNames();
