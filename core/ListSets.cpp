#include "core/LibraryDatabase.h"

#include <QHash>

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

// The category slots filled from the records. A hash per slot finds an entry
// by caption in constant time where a search through the entries would make
// the whole build quadratic in the number of artists and albums. Loaded texts
// share their characters, so most captions are found by address alone.
class CategoryFiller {
public:
    explicit CategoryFiller(ListSet& set) : set_(set)
    {
        for (qsizetype i = 0; i < set_.Entries.size(); ++i) byCaption_.insert(set_.Entries[i].Caption, int(i));
    }

    void Add(int32_t index, const QString& caption)
    {
        // Titles of one album usually follow each other.
        if (caption.constData() == lastData_ && caption.size() == lastSize_) {
            AddItem(set_.Entries[lastEntry_], index);
            return;
        }
        int entry = FindByAddress(caption);
        if (entry < 0) {
            auto it = byCaption_.constFind(caption);
            if (it == byCaption_.constEnd()) {
                entry = int(set_.Entries.size());
                set_.Entries.append(EmptyEntry(caption));
                byCaption_.insert(caption, entry);
            } else {
                entry = it.value();
            }
            InsertAddress(caption, entry);
        }
        lastData_ = caption.constData();
        lastSize_ = caption.size();
        lastEntry_ = entry;
        AddItem(set_.Entries[entry], index);
    }

private:
    // Captions by the address of their characters: the same address and
    // length is the same text, since every caption stays alive in its record
    // for the whole build. Open addressing over a flat array.
    struct Seen {
        const QChar* data = nullptr;
        qsizetype size = 0;
        int entry = -1;
    };

    static size_t Hash(const QChar* p) { return size_t((reinterpret_cast<uintptr_t>(p) >> 3) * 0x9E3779B97F4A7C15ull); }

    int FindByAddress(const QString& caption) const
    {
        if (seen_.empty()) return -1;
        const size_t mask = seen_.size() - 1;
        for (size_t i = Hash(caption.constData()) & mask;; i = (i + 1) & mask) {
            const Seen& s = seen_[i];
            if (s.entry < 0) return -1;
            if (s.data == caption.constData() && s.size == caption.size()) return s.entry;
        }
    }

    void InsertAddress(const QString& caption, int entry)
    {
        if (2 * (seenCount_ + 1) > seen_.size()) {
            std::vector<Seen> old(std::max<size_t>(64, seen_.size() * 2));
            old.swap(seen_);
            seenCount_ = 0;
            for (const Seen& s : old)
                if (s.entry >= 0) Place(s);
        }
        Place(Seen{caption.constData(), caption.size(), entry});
    }

    void Place(const Seen& s)
    {
        const size_t mask = seen_.size() - 1;
        size_t i = Hash(s.data) & mask;
        while (seen_[i].entry >= 0) {
            if (seen_[i].data == s.data && seen_[i].size == s.size) return;
            i = (i + 1) & mask;
        }
        seen_[i] = s;
        ++seenCount_;
    }

    ListSet& set_;
    QHash<QString, int> byCaption_;
    std::vector<Seen> seen_;
    size_t seenCount_ = 0;
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
    CategoryFiller albums(store.ListSets[AlbumSet]);
    CategoryFiller artists(store.ListSets[ArtistSet]);
    CategoryFiller bitrates(store.ListSets[BitrateSet]);
    CategoryFiller genres(store.ListSets[GenreSet]);
    CategoryFiller years(store.ListSets[YearSet]);

    // Bitrates repeat a handful of values; their captions are made once.
    QHash<int, QString> bitrateText;
    const qsizetype count = store.Files.size();
    for (qsizetype i = 0; i < count; ++i) {
        const TagInfo& tags = store.Files[i].Tags;
        const auto index = int32_t(i);
        albums.Add(index, tags.Album);
        artists.Add(index, tags.Artist);
        auto bt = bitrateText.find(tags.Bitrate);
        if (bt == bitrateText.end()) bt = bitrateText.insert(tags.Bitrate, QString::number(tags.Bitrate));
        bitrates.Add(index, bt.value());
        genres.Add(index, tags.Genre);
        years.Add(index, tags.Year);
    }
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
