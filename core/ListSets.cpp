#include "core/LibraryDatabase.h"

#include <QHash>

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

// The category slots filled from the records; a hash per slot finds an entry
// by caption in constant time where a search through the entries would make
// the whole build quadratic in the number of artists and albums.
class CategoryFiller {
public:
    CategoryFiller(ListSet& set) : set_(set)
    {
        for (qsizetype i = 0; i < set_.Entries.size(); ++i) byCaption_.insert(set_.Entries[i].Caption, int(i));
    }

    void Add(int32_t index, const QString& caption)
    {
        auto it = byCaption_.constFind(caption);
        int entry;
        if (it == byCaption_.constEnd()) {
            entry = int(set_.Entries.size());
            set_.Entries.append(EmptyEntry(caption));
            byCaption_.insert(caption, entry);
        } else {
            entry = it.value();
        }
        AddItem(set_.Entries[entry], index);
    }

private:
    ListSet& set_;
    QHash<QString, int> byCaption_;
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
