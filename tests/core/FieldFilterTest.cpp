// The list's Ctrl+click filter: a field's value as plain text, never as query syntax.
#include "core/Search.h"

#include <gtest/gtest.h>

namespace {

TEST(FieldFilter, KeepsTitlesWhoseFieldEqualsTheValueIgnoringCase)
{
    LibraryDatabase db;
    const char* artists[] = {"Love > Hate", "love > hate", "Over the top now", "a*b", "aXb", "x=y", "", "Other"};
    for (const char* a : artists) {
        LibraryEntry e;
        e.FileName = QStringLiteral("/m/%1.mp3").arg(db.Files.size());
        e.Tags.Artist = QString::fromUtf8(a);
        e.Rating = int16_t(db.Files.size() % 2);
        db.Files.append(e);
    }
    const struct { const char* field; const char* value; QVector<int32_t> want; } rows[] = {
        {"artist", "Love > Hate", {0, 1}},
        {"artist", "Over the top now", {2}},
        {"artist", "a*b", {3}},           // no wildcard
        {"artist", "x=y", {5}},
        {"artist", "", {0, 1, 2, 3, 4, 5, 6, 7}},  // an empty value keeps all, as an empty pattern
        {"artist", "nobody", {-1}},
        {"rating", "1", {1, 3, 5, 7}},
    };
    for (const auto& r : rows) {
        FilterByFieldValue(db, QString::fromUtf8(r.field), QString::fromUtf8(r.value));
        EXPECT_EQ(db.ListSets[ViewList].Entries[0].Items, r.want) << r.value;
    }
}

} // namespace
