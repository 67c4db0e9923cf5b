#include "core/LibraryDatabase.h"

#include <QHash>

#include <algorithm>
#include <bit>
#include <vector>

namespace {

ListEntry EmptyEntry(const QString& caption = QString())
{
    return ListEntry{caption, QVector<int32_t>{-1}};
}

// A lone trailing -1 is the empty marker and gives way to the first real index.
void AddItem(ListEntry& entry, int32_t index)
{
    if (!entry.Items.isEmpty() && entry.Items.last() == -1)
        entry.Items.last() = index;
    else
        entry.Items.append(index);
}

// The category slots filled from the records, in two steps: first every
// record is given its entry and the entries are counted, then each entry's
// items are written into an array of exactly its size. A hash per slot finds
// an entry by caption in constant time where a search through the entries
// would make the whole build quadratic in the number of artists and albums.
// Every slot starts as the one empty entry ClearListSets leaves.
class CategoryFiller {
public:
    CategoryFiller(ListSet& set, qsizetype records) : set_(set)
    {
        entryOf_.reserve(size_t(records));
        Grow();
        for (qsizetype i = 0; i < set_.Entries.size(); ++i) Remember(int(i));
        counts_.assign(size_t(set_.Entries.size()), 0);
    }

    void Add(const QString& caption)
    {
        const int entry = EntryOf(caption);
        entryOf_.push_back(entry);
        ++counts_[size_t(entry)];
    }

    // Writes the items: record i goes to the entry Add gave it, in record order.
    void Finish()
    {
        std::vector<int32_t*> next(counts_.size(), nullptr);
        for (size_t e = 0; e < counts_.size(); ++e) {
            if (!counts_[e]) continue;  // stays [-1]
            QVector<int32_t> items(counts_[e]);  // exactly this size: no room to grow
            next[e] = items.data();
            set_.Entries[qsizetype(e)].Items = std::move(items);
        }
        for (size_t i = 0; i < entryOf_.size(); ++i) *next[size_t(entryOf_[i])]++ = int32_t(i);
    }

private:
    // Open addressing over flat arrays, one slot per entry. Loaded texts share
    // their characters, so most captions are found by address without reading
    // them; a caption made apart (a synchronisation's tags) is found by content.
    struct AddressSlot {
        const QChar* data = nullptr;
        qsizetype size = 0;
        int entry = -1;
    };
    struct ContentSlot {
        size_t hash = 0;
        int entry = -1;
    };

    int EntryOf(const QString& caption)
    {
        // Titles of one album usually follow each other.
        if (caption.constData() == lastData_ && caption.size() == lastSize_) return lastEntry_;
        int entry = FindByAddress(caption);
        if (entry < 0) {
            const size_t hash = qHash(caption);
            entry = FindByContent(caption, hash);
            if (entry < 0) {
                entry = int(set_.Entries.size());
                set_.Entries.append(EmptyEntry(caption));
                counts_.push_back(0);
                Remember(entry, hash);
            }
        }
        lastData_ = caption.constData();
        lastSize_ = caption.size();
        lastEntry_ = entry;
        return entry;
    }

    size_t Home(size_t hash) const { return size_t((hash * 0x9E3779B97F4A7C15ull) >> shift_); }
    static size_t AddressHash(const QChar* p) { return size_t(reinterpret_cast<uintptr_t>(p)); }

    int FindByAddress(const QString& caption) const
    {
        const size_t mask = byAddress_.size() - 1;
        for (size_t i = Home(AddressHash(caption.constData()));; i = (i + 1) & mask) {
            const AddressSlot& s = byAddress_[i];
            if (s.entry < 0) return -1;
            if (s.data == caption.constData() && s.size == caption.size()) return s.entry;
        }
    }

    int FindByContent(const QString& caption, size_t hash) const
    {
        const size_t mask = byContent_.size() - 1;
        for (size_t i = Home(hash);; i = (i + 1) & mask) {
            const ContentSlot& s = byContent_[i];
            if (s.entry < 0) return -1;
            if (s.hash == hash && set_.Entries[s.entry].Caption == caption) return s.entry;
        }
    }

    void Remember(int entry) { Remember(entry, qHash(set_.Entries[entry].Caption)); }

    // A later entry of the same caption wins, as a search from the end would find it.
    void Remember(int entry, size_t hash)
    {
        if (2 * (remembered_ + 1) > byContent_.size()) Grow();
        const QString& caption = set_.Entries[entry].Caption;
        const size_t mask = byContent_.size() - 1;
        size_t i = Home(hash);
        while (byContent_[i].entry >= 0 && !(byContent_[i].hash == hash && set_.Entries[byContent_[i].entry].Caption == caption))
            i = (i + 1) & mask;
        byContent_[i] = ContentSlot{hash, entry};
        size_t j = Home(AddressHash(caption.constData()));
        while (byAddress_[j].entry >= 0 && !(byAddress_[j].data == caption.constData() && byAddress_[j].size == caption.size()))
            j = (j + 1) & mask;
        byAddress_[j] = AddressSlot{caption.constData(), caption.size(), entry};
        ++remembered_;
    }

    void Grow()
    {
        const size_t size = std::max<size_t>(64, byContent_.size() * 2);
        shift_ = 64 - std::countr_zero(size);
        std::vector<ContentSlot> content(size);
        std::vector<AddressSlot> address(size);
        content.swap(byContent_);
        address.swap(byAddress_);
        const size_t mask = size - 1;
        for (const ContentSlot& s : content) {
            if (s.entry < 0) continue;
            size_t i = Home(s.hash);
            while (byContent_[i].entry >= 0) i = (i + 1) & mask;
            byContent_[i] = s;
        }
        for (const AddressSlot& s : address) {
            if (s.entry < 0) continue;
            size_t i = Home(AddressHash(s.data));
            while (byAddress_[i].entry >= 0) i = (i + 1) & mask;
            byAddress_[i] = s;
        }
    }

    ListSet& set_;
    std::vector<int> entryOf_;   // by record
    std::vector<qsizetype> counts_;  // by entry
    std::vector<ContentSlot> byContent_;
    std::vector<AddressSlot> byAddress_;
    size_t remembered_ = 0;
    int shift_ = 64;
    const QChar* lastData_ = nullptr;
    qsizetype lastSize_ = -1;
    int lastEntry_ = 0;
};

} // namespace

void ClearListSets(LibraryDatabase& store)
{
    for (ListSet& set : store.ListSets) set.Entries = QVector<ListEntry>{EmptyEntry()};
}

void BuildListSets(LibraryDatabase& store)
{
    ClearListSets(store);
    const qsizetype count = store.Files.size();
    CategoryFiller albums(store.ListSets[AlbumSet], count);
    CategoryFiller artists(store.ListSets[ArtistSet], count);
    CategoryFiller bitrates(store.ListSets[BitrateSet], count);
    CategoryFiller genres(store.ListSets[GenreSet], count);
    CategoryFiller years(store.ListSets[YearSet], count);

    // Bitrates repeat a handful of values; their captions are made once.
    QHash<int, QString> bitrateText;
    for (const LibraryEntry& e : std::as_const(store.Files)) {
        const TagInfo& tags = e.Tags;
        albums.Add(tags.Album);
        artists.Add(tags.Artist);
        auto bt = bitrateText.find(tags.Bitrate);
        if (bt == bitrateText.end()) bt = bitrateText.insert(tags.Bitrate, QString::number(tags.Bitrate));
        bitrates.Add(bt.value());
        genres.Add(tags.Genre);
        years.Add(tags.Year);
    }
    for (CategoryFiller* f : {&albums, &artists, &bitrates, &genres, &years}) f->Finish();
}

int AddToListSet(LibraryDatabase& store, int slot, int32_t index, const QString& caption)
{
    if (slot < 0 || slot >= ListSetCount) return 0;
    QVector<ListEntry>& entries = store.ListSets[slot].Entries;
    // When several entries share the caption, the last one is taken.
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (entries[i].Caption == caption) {
            AddItem(entries[i], index);
            return 0;
        }
    }
    entries.append(EmptyEntry(caption));
    AddItem(entries.last(), index);
    return 1;
}

int16_t AddToPlaying(int16_t /*ignored*/, int32_t index)
{
    QVector<ListEntry>& entries = Library.ListSets[PlayingQueue].Entries;
    if (entries.isEmpty()) entries.append(EmptyEntry());
    QVector<int32_t>& items = entries[0].Items;
    if (items.contains(index)) return 0;
    // Appended also after a lone -1: the queue's head then reads as no title.
    items.append(index);
    return -1;
}
