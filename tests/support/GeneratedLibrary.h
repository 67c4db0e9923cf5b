// A generated library of invented titles for benchmarks: syllable words for
// titles, a few thousand artists and albums, the program's genres, years,
// tracks, lengths, ratings and play counts, the same for every run.
#pragma once

#include "core/LibraryTypes.h"

// AddTime as loaded from Files.db (text) or as made in this run (a date).
LibraryDatabase MakeGeneratedLibrary(int titles, bool datesAsText);
