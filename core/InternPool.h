// Texts of the library file decoded from its UTF-8 bytes, and the pools that
// let repeated texts share one copy.
#pragma once

#include "core/TextLines.h"

#include <QAnyStringView>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dbfile {

inline QString Decode(Bytes bytes)
{
    // Most values are plain ASCII, which Latin-1 decodes the same and faster.
    for (const char c : bytes) {
        if (uchar(c) < 0x80) continue;
        // A value may start with a byte order mark (titles from UTF-16 tags
        // do); it is part of the text and must survive the next save.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    }
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// Repeated texts share one copy across the library, so a loaded title costs
// little memory, and a repeated text is decoded only once. One small pool per
// field keeps each table short and in cache.
class InternPool {
public:
    static size_t Hash(Bytes bytes) { return std::hash<Bytes>()(bytes); }

    QString Get(Bytes bytes)
    {
        if (bytes.empty()) return QString();
        // Titles of one album usually follow each other.
        if (last_ < slots_.size() && slots_[last_].Holds(bytes)) return slots_[last_].value;
        return Find(bytes, Hash(bytes));
    }

    // With the hash of the bytes already known (from Prefetch).
    QString Get(Bytes bytes, size_t hash)
    {
        if (bytes.empty()) return QString();
        if (last_ < slots_.size() && slots_[last_].Holds(bytes)) return slots_[last_].value;
        return Find(bytes, hash);
    }

    // Starts loading the slot a coming Get of these bytes reads: in a pool of
    // thousands of names it is rarely in cache, and it can arrive while the
    // record's other fields are decoded. Gives the hash for that Get.
    size_t Prefetch(Bytes bytes)
    {
        const size_t hash = Hash(bytes);
        if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
        return hash;
    }

private:
    // The text is compared with the bytes directly, without a copy of them:
    // its characters are read anyway when it is shared.
    struct Slot {
        size_t hash = 0;
        qsizetype bytes = 0;  // length of the UTF-8 form; 0 marks a free slot
        QString value;
        // The bytes themselves where the text cannot stand for them: several
        // undecodable bytes all read as U+FFFD.
        std::unique_ptr<std::string> raw;

        bool Holds(Bytes b) const
        {
            if (qsizetype(b.size()) != bytes) return false;
            if (raw) return *raw == b;
            // One character per byte and nothing undecodable: ASCII.
            if (value.size() == bytes) {
                const auto* c = reinterpret_cast<const char16_t*>(value.constData());
                for (size_t i = 0; i < b.size(); ++i)
                    if (c[i] != char16_t(uchar(b[i]))) return false;
                return true;
            }
            return QAnyStringView::equal(value, QUtf8StringView(b.data(), qsizetype(b.size())));
        }
    };

    QString Find(Bytes bytes, size_t hash)
    {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        const size_t mask = slots_.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.bytes == 0) {
                slot = Slot{hash, qsizetype(bytes.size()), Decode(bytes), nullptr};
                if (slot.value.contains(QChar::ReplacementCharacter)) slot.raw = std::make_unique<std::string>(bytes);
                ++count_;
                last_ = i;
                return slot.value;
            }
            if (slot.hash == hash && slot.Holds(bytes)) {
                last_ = i;
                return slot.value;
            }
        }
    }

    void Grow()
    {
        std::vector<Slot> old(std::max<size_t>(64, slots_.size() * 2));
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (Slot& s : old) {
            if (s.bytes == 0) continue;
            size_t i = s.hash & mask;
            while (slots_[i].bytes != 0) i = (i + 1) & mask;
            slots_[i] = std::move(s);
        }
        last_ = slots_.size();
    }

    // Open addressing over a flat array: a lookup touches few cache lines
    // where a node-based map chases several pointers.
    std::vector<Slot> slots_;
    size_t count_ = 0;
    size_t last_ = 0;
};

// The same text as the record before shares its copy: the titles of one
// synchronisation carry the same few times of adding.
class LastValue {
public:
    QString Get(Bytes bytes)
    {
        if (bytes.empty()) return QString();
        if (bytes != last_) {
            last_.assign(bytes);
            text_ = Decode(bytes);
        }
        return text_;
    }

private:
    std::string last_;
    QString text_;
};

} // namespace dbfile
