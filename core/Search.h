// modSearch: the search box's free-text match and the line-based query
// language of dynamic playlists.
//
// A query script holds one criterion per line ("genre=rock", "rating>=3",
// "3<rating"); a record is kept when every line holds for it. "=" and "<>"
// match a wildcard pattern ("*" for any run of characters), ">", "<", ">=" and
// "<=" compare the leading numbers of both sides. A name that is no field is
// its own text. A line "N top field" keeps the N results with the highest
// values of the field.
#pragma once

#include "core/LibraryTypes.h"

#include <QString>
#include <QStringView>
#include <QVariant>

// True when every blank-separated word of the search text (lower case,
// trimmed) occurs in the record's album, artist, genre, title, track and year.
bool MatchesSearchText(const LibraryEntry& entry, QStringView searchText);

// Makes the search text of records [from, from + count) ahead of the first
// search, so the first keystroke does not pay for the whole library; returns
// the index after the last record made.
qsizetype PrepareSearchText(const LibraryDatabase& store, qsizetype from, qsizetype count);

// Evaluates the script over every record of the store: the indices that
// match, in library order (or as a "top" line orders them); [-1] when none.
QVector<int32_t> QueryIndices(const LibraryDatabase& store, const QString& script);
// QueryIndices put into the view list (ListSets slot 4, entry 0).
void RunQuery(LibraryDatabase& store, const QString& script);
void RunQuery(const QString& script);  // on Library

// Puts into the view list the titles whose query field, as text and lower
// case, equals the value in lower case ([-1] when none); an empty value keeps
// every title, as an empty pattern does. The value is taken as it is: no
// character of it is query syntax.
void FilterByFieldValue(LibraryDatabase& store, const QString& field, const QString& value);

// One line of a script for one record; a line without "=", ">" or "<" holds.
bool EvaluateCriterion(const LibraryEntry& entry, const QString& line);

// A query field of the record by its name: a number for rating, timesplayed,
// duration and bitrate, a text for the others; any other name is its own text.
QVariant GetFieldValue(const LibraryEntry& entry, const QString& name);

// Wildcard match: "*" stands for any run of characters, everything else for
// itself. An empty pattern matches everything, an empty value nothing else.
bool MatchesPattern(QStringView value, QStringView pattern);
