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
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <sys/stat.h>
#include <vector>

namespace {

QString Q(const TagLib::String& s)
{
    return QString::fromStdWString(s.toWString());
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

// The track as stored ("3/12"), where the format keeps it as text.
QString Track(TagLib::File* f, const TagLib::Tag* tag)
{
    const TagLib::PropertyMap props = f->properties();
    const auto it = props.find("TRACKNUMBER");
    if (it != props.end() && !it->second.isEmpty()) return Q(it->second.front());
    return tag->track() ? QString::number(tag->track()) : QString();
}

} // namespace

TagReading TagLibReader::Open(const QString& path)
{
    TagReading r;
    const QByteArray name = QFile::encodeName(path);
    // Only regular files: a named pipe would block the reader.
    struct stat st;
    if (stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return r;

    TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Average);
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
        r.Comment = Q(tag->comment());
        r.Title = Q(tag->title());
        r.Year = tag->year() ? QString::number(tag->year()) : QString();
        r.Genre = Genre(ref.file());
        r.Track = Track(ref.file(), tag);
    }
    return r;
}

TagLibReader& ProgramTagReader()
{
    static TagLibReader reader;
    return reader;
}
