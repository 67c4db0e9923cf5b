#include "platform/TagLibReader.h"

#include "core/VbHelpers.h"

#include <QFile>
#include <QRegularExpression>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/mp4tag.h>
#include <taglib/asftag.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <taglib/tiostream.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A read-only stream over a file descriptor with two cached windows. TagLib
// seeks and reads in small steps (header, tail, atom by atom); through stdio
// each step is a system call, here most are a copy from the cache.
class CachedReadStream : public TagLib::IOStream {
public:
    static constexpr int64_t kWindow = 16 * 1024;

    CachedReadStream(int fd, int64_t size, const QByteArray& name) : fd_(fd), size_(size), name_(name) {}

    TagLib::FileName name() const override { return name_.constData(); }

    TagLib::ByteVector readBlock(unsigned long length) override
    {
        if (pos_ < 0 || pos_ >= size_ || length == 0) return TagLib::ByteVector();
        const int64_t want = std::min<int64_t>(int64_t(length), size_ - pos_);
        TagLib::ByteVector out(static_cast<unsigned int>(want), '\0');
        const int64_t got = Read(pos_, out.data(), want);
        if (got < want) out.resize(static_cast<unsigned int>(std::max<int64_t>(got, 0)));
        pos_ += std::max<int64_t>(got, 0);
        return out;
    }

    // Never asked of a stream that says it is read-only.
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return fd_ >= 0; }

    void seek(long offset, Position p) override
    {
        const int64_t base = p == Beginning ? 0 : p == Current ? pos_ : size_;
        if (base + offset >= 0) pos_ = base + offset;  // as fseek: a position before 0 is refused
    }
    long tell() const override { return long(pos_); }
    long length() override { return long(size_); }

private:
    struct Window {
        int64_t start = -1;
        int64_t len = 0;
        std::array<char, kWindow> data;
    };

    int64_t Read(int64_t offset, char* dst, int64_t n)
    {
        int64_t done = 0;
        while (done < n) {
            const int64_t at = offset + done;
            Window* w = nullptr;
            for (Window& c : windows_)
                if (c.start >= 0 && at >= c.start && at < c.start + c.len) w = &c;
            if (!w) {
                if (n - done >= kWindow) {  // large reads (a cover picture) bypass the cache
                    const ssize_t r = PRead(dst + done, n - done, at);
                    return r > 0 ? done + r : done;
                }
                w = &windows_[next_];
                next_ ^= 1;
                w->start = at & ~int64_t(4095);
                const ssize_t r = PRead(w->data.data(), kWindow, w->start);
                w->len = std::max<ssize_t>(r, 0);
                if (at >= w->start + w->len) {
                    w->start = -1;
                    return done;
                }
            }
            const int64_t take = std::min(n - done, w->start + w->len - at);
            std::copy_n(w->data.data() + (at - w->start), take, dst + done);
            done += take;
        }
        return done;
    }

    ssize_t PRead(char* dst, int64_t n, int64_t at)
    {
        ssize_t r;
        do r = pread(fd_, dst, size_t(n), off_t(at));
        while (r < 0 && errno == EINTR);
        return r;
    }

    int fd_;
    int64_t size_;
    QByteArray name_;
    int64_t pos_ = 0;
    std::array<Window, 2> windows_;
    int next_ = 0;
};

// Closes the descriptor on every way out.
struct Fd {
    int fd;
    ~Fd() { if (fd >= 0) close(fd); }
};

QString Q(const TagLib::String& s)
{
    return s.isEmpty() ? QString() : QString::fromWCharArray(s.toCWString(), qsizetype(s.size()));
}

// Format codes by the class TagLib reads the file with.
int16_t FormatCode(TagLib::File* f)
{
    using namespace TagLib;
    if (dynamic_cast<MPEG::File*>(f)) return 1;
    if (dynamic_cast<ASF::File*>(f)) return 2;
    if (dynamic_cast<APE::File*>(f)) return 3;
    if (dynamic_cast<FLAC::File*>(f) || dynamic_cast<Ogg::FLAC::File*>(f)) return 4;
    if (dynamic_cast<RIFF::WAV::File*>(f) || dynamic_cast<RIFF::AIFF::File*>(f)) return 5;
    if (dynamic_cast<Ogg::Vorbis::File*>(f) || dynamic_cast<Ogg::Opus::File*>(f) ||
        dynamic_cast<Ogg::Speex::File*>(f))
        return 6;
    if (dynamic_cast<MPC::File*>(f)) return 7;
    if (dynamic_cast<MP4::File*>(f)) return 9;
    return 0;
}

// "17" or "(17)": an ID3v1 genre number in a TCON frame.
QString GenreNumberText(const QString& field)
{
    static const QRegularExpression number(QStringLiteral("^\\((\\d{1,5})\\)$|^(\\d{1,5})$"));
    const QRegularExpressionMatch m = number.match(field);
    if (!m.hasMatch()) return QString();
    return m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
}

QString GenreOf(const TagLib::Tag* tag)
{
    if (!tag) return QString();
    if (const auto* v2 = dynamic_cast<const TagLib::ID3v2::Tag*>(tag)) {
        const TagLib::ID3v2::FrameList& frames = v2->frameListMap()["TCON"];
        if (frames.isEmpty()) return QString();
        if (const auto* tcon = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front())) {
            for (const TagLib::String& field : tcon->fieldList()) {
                if (field.isEmpty()) continue;
                const QString n = GenreNumberText(Q(field));
                if (!n.isEmpty()) return n;
                break;
            }
        }
        return Q(v2->genre());
    }
    if (const auto* v1 = dynamic_cast<const TagLib::ID3v1::Tag*>(tag)) {
        const unsigned n = v1->genreNumber();
        return n == 255 ? QString() : QString::number(n);
    }
    return Q(tag->genre());
}

// The tags a file's combined tag is made of, in the order TagLib prefers
// them, so that a number is found where TagLib would take its name from.
std::vector<const TagLib::Tag*> TagsInOrder(TagLib::File* f)
{
    using namespace TagLib;
    if (auto* m = dynamic_cast<MPEG::File*>(f)) return {m->ID3v2Tag(), m->APETag(), m->ID3v1Tag()};
    if (auto* c = dynamic_cast<MPC::File*>(f)) return {c->APETag(), c->ID3v1Tag()};
    if (auto* a = dynamic_cast<APE::File*>(f)) return {a->APETag(), a->ID3v1Tag()};
    if (auto* l = dynamic_cast<FLAC::File*>(f)) return {l->xiphComment(), l->ID3v2Tag(), l->ID3v1Tag()};
    if (auto* w = dynamic_cast<RIFF::WAV::File*>(f)) return {w->ID3v2Tag(), w->InfoTag()};
    return {f->tag()};
}

QString Genre(TagLib::File* f)
{
    for (const TagLib::Tag* t : TagsInOrder(f)) {
        const QString g = GenreOf(t);
        if (!g.isEmpty()) return g;
    }
    return QString();
}

} // namespace

QString StoredTrack(const TagLib::Tag* tag)
{
    using namespace TagLib;
    if (!tag) return QString();
    if (const auto* v2 = dynamic_cast<const ID3v2::Tag*>(tag)) {
        const ID3v2::FrameList& frames = v2->frameListMap()["TRCK"];
        return frames.isEmpty() ? QString() : Q(frames.front()->toString());
    }
    if (const auto* x = dynamic_cast<const Ogg::XiphComment*>(tag)) {
        const Ogg::FieldListMap& fields = x->fieldListMap();
        const auto it = fields.find("TRACKNUMBER");
        return it == fields.end() || it->second.isEmpty() ? QString() : Q(it->second.front());
    }
    if (const auto* a = dynamic_cast<const APE::Tag*>(tag)) {
        const APE::ItemListMap& items = a->itemListMap();
        const auto it = items.find("TRACK");
        return it == items.end() ? QString() : Q(it->second.toString());
    }
    if (const auto* w = dynamic_cast<const ASF::Tag*>(tag)) {
        const ASF::AttributeListMap& attrs = w->attributeListMap();
        const auto it = attrs.find("WM/TrackNumber");
        if (it != attrs.end() && !it->second.isEmpty()) {
            const ASF::Attribute& v = it->second.front();
            return v.type() == ASF::Attribute::UnicodeType ? Q(v.toString()) : QString::number(v.toUInt());
        }
        return QString();
    }
    if (const auto* m = dynamic_cast<const MP4::Tag*>(tag)) {
        if (!m->contains("trkn")) return QString();
        const MP4::Item::IntPair p = m->item("trkn").toIntPair();
        return p.second > 0 ? QStringLiteral("%1/%2").arg(p.first).arg(p.second) : QString::number(p.first);
    }
    return tag->track() ? QString::number(tag->track()) : QString();
}

namespace {

// ID3v1 pads its comment with blanks, which TagLib hands on (its other
// fields come trimmed): a blank comment is no comment.
QString Comment(TagLib::File* f)
{
    for (const TagLib::Tag* t : TagsInOrder(f)) {
        if (!t) continue;
        QString c = Q(t->comment());
        if (dynamic_cast<const TagLib::ID3v1::Tag*>(t))
            while (!c.isEmpty() && (c.back() == u' ' || c.back() == u'\0')) c.chop(1);
        if (!c.isEmpty()) return c;
    }
    return QString();
}

QString Track(TagLib::File* f)
{
    for (const TagLib::Tag* t : TagsInOrder(f)) {
        const QString track = StoredTrack(t);
        if (!track.isEmpty()) return track;
    }
    return QString();
}

} // namespace

TagReading TagLibReader::Open(const QString& path)
{
    TagReading r;
    const QByteArray name = QFile::encodeName(path);
    // Opened without blocking and tested on the open descriptor: only a
    // regular file is read (a named pipe would block, a device never end).
    const Fd fd{open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat st;
    if (fd.fd < 0 || fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode)) return r;

    CachedReadStream stream(fd.fd, int64_t(st.st_size), name);
    TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Average);
    if (ref.isNull() || !ref.file()->isValid()) return r;
    const TagLib::AudioProperties* props = ref.audioProperties();
    if (!props || props->lengthInMilliseconds() <= 0) return r;
    const int16_t format = FormatCode(ref.file());
    if (format == 0) return r;

    r.Format = format;
    r.Size = int64_t(st.st_size);
    r.Duration = props->lengthInMilliseconds() / 1000.0;
    r.Bitrate = props->bitrate();
    if (const TagLib::Tag* tag = ref.tag()) {
        r.Album = Q(tag->album());
        r.Artist = Q(tag->artist());
        r.Comment = Comment(ref.file());
        r.Title = Q(tag->title());
        r.Year = tag->year() ? QString::number(tag->year()) : QString();
        r.Genre = Genre(ref.file());
        r.Track = Track(ref.file());
    }
    return r;
}

TagLibReader& ProgramTagReader()
{
    static TagLibReader reader;
    return reader;
}
