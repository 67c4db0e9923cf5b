// The library's records and list sets, shared by every part of the program.
// A title is named everywhere by its library index: its 0-based position in
// Library.Files; -1 stands for no title.
#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <array>
#include <cstdint>
#include <memory>

struct TagInfo {
    QString Title;
    QString Artist;
    QString Album;
    QString Year;
    int32_t Lenght = 0;   // whole seconds; spelled so everywhere, also in Files.db
    int16_t Bitrate = 0;  // kbit/s
    QString Comment;
    QString Format;       // one of FileTypes
    QString Genre;
    QString Track;        // decimal text; "0" is a value, not empty
};

// The free-text search's lower-case text of a record, with the six tag fields
// it was made from; the search compares them with the record on every use, so
// nobody who changes a record has to invalidate it.
struct SearchHaystack {
    std::array<QString, 6> Sources;
    QString Text;
};

// Made on the first search only, so a library nobody searches pays one pointer
// per record. A copied record starts without it (the copy rebuilds on use).
class SearchCache {
public:
    SearchCache() = default;
    SearchCache(const SearchCache&) {}
    SearchCache(SearchCache&&) noexcept = default;
    SearchCache& operator=(const SearchCache&) { p_.reset(); return *this; }
    SearchCache& operator=(SearchCache&&) noexcept = default;

    SearchHaystack& Get() const
    {
        if (!p_) p_ = std::make_unique<SearchHaystack>();
        return *p_;
    }
    void Clear() const { p_.reset(); }

private:
    mutable std::unique_ptr<SearchHaystack> p_;
};

struct LibraryEntry {
    QString FileName;     // "" marks the placeholder record of an empty library
    QString newPath;
    TagInfo Tags;
    QString Actions;      // "Tag;" tags edited but not written, "R" found missing
    QVariant AddTime;     // a QDateTime when made, the text read after loading
    QVariant PlayTime;    // "(noch nie)" until the first play
    int32_t PlayCNT = 0;
    QString TagVer;
    int16_t Rating = 0;   // 0 not rated, 1..5
    double SizeInMB = 0;
    SearchCache Haystack;  // owned by the free-text search
};

// One list of library indices; the single item -1 marks an empty list.
struct ListEntry {
    QString Caption;
    QVector<int32_t> Items;
};

// Plain aggregates of implicitly shared members: arrays of them may move by memcpy.
Q_DECLARE_TYPEINFO(TagInfo, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(LibraryEntry, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(ListEntry, Q_RELOCATABLE_TYPE);

struct ListSet {
    QVector<ListEntry> Entries;
};

enum ListSetSlot : int {
    PlayingQueue = 0,
    ArtistSet = 1,
    AlbumSet = 2,
    GenreSet = 3,
    ViewList = 4,
    BitrateSet = 5,
    YearSet = 6,
    SyncList = 7,
};
constexpr int ListSetCount = 8;

struct LibraryDatabase {
    QVector<LibraryEntry> Files;
    std::array<ListSet, ListSetCount> ListSets;
};

// The one program-wide store.
extern LibraryDatabase Library;

// Format names by the tag reader's format code 0..9.
extern const std::array<QString, 10> FileTypes;

inline bool IsValidLibraryIndex(const LibraryDatabase& store, int64_t index)
{
    return index >= 0 && index < store.Files.size();
}
