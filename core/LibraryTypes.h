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
#include <new>
#include <string_view>

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
// nobody who changes a record has to invalidate it. The text lies in the same
// block, after the struct: one byte a character when all are Latin-1 (most
// titles), UTF-16 otherwise.
class SearchHaystack {
public:
    std::array<QString, 6> Sources;

    // A block for a text of the length, in bytes (Latin-1) or UTF-16.
    static SearchHaystack* Make(qsizetype length, bool wide)
    {
        const size_t bytes = size_t(length) * (wide ? sizeof(char16_t) : 1);
        return new (::operator new(sizeof(SearchHaystack) + bytes)) SearchHaystack(wide ? -length : length);
    }
    struct Free {
        void operator()(SearchHaystack* p) const noexcept
        {
            p->~SearchHaystack();
            ::operator delete(p);
        }
    };

    bool Wide() const { return length_ < 0; }
    std::string_view Latin1() const { return {reinterpret_cast<const char*>(this + 1), size_t(length_)}; }
    std::u16string_view Utf16() const { return {reinterpret_cast<const char16_t*>(this + 1), size_t(-length_)}; }
    char* Latin1Data() { return reinterpret_cast<char*>(this + 1); }
    char16_t* Utf16Data() { return reinterpret_cast<char16_t*>(this + 1); }

private:
    explicit SearchHaystack(qsizetype length) : length_(length) {}
    qsizetype length_;  // characters, negated when UTF-16
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

    SearchHaystack* Get() const { return p_.get(); }
    void Set(SearchHaystack* p) const { p_.reset(p); }
    void Clear() const { p_.reset(); }

private:
    mutable std::unique_ptr<SearchHaystack, SearchHaystack::Free> p_;
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

// Library's records changed in place (a rating, a counted play, a tag edit):
// Files.db is written again soon (core/PeriodicSave.h).
void MarkLibraryChanged();

// Format names by the tag reader's format code 0..9.
extern const std::array<QString, 10> FileTypes;

inline bool IsValidLibraryIndex(const LibraryDatabase& store, int64_t index)
{
    return index >= 0 && index < store.Files.size();
}
