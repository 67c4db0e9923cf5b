#include "platform/TagLibWriter.h"

#include "platform/TagLibReader.h"

#include <QFile>

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/xiphcomment.h>

namespace {

using namespace TagLib;

String T(const QString& s)
{
    return String(s.toStdString(), String::UTF8);
}

bool Has(const TagWrite& w, TagWrite::Field f)
{
    return (w.fields & f) != 0;
}

// The editor shows the track number alone: one typed without a total keeps
// the total the tag has ("3/10", then "4", gives "4/10"); one typed with a
// total sets it, and an empty one removes the track.
QString TrackKeepingTotal(const QString& typed, const Tag* tag)
{
    if (typed.isEmpty() || typed.contains(u'/')) return typed;
    const QString total = StoredTrack(tag).section(u'/', 1, 1).trimmed();
    return total.isEmpty() ? typed : typed + u'/' + total;
}

// The fields every tag type sets alike; track and comment differ by type.
void SetCommon(Tag* tag, const TagWrite& w)
{
    if (Has(w, TagWrite::Title)) tag->setTitle(T(w.title));
    if (Has(w, TagWrite::Artist)) tag->setArtist(T(w.artist));
    if (Has(w, TagWrite::Album)) tag->setAlbum(T(w.album));
    if (Has(w, TagWrite::Year)) tag->setYear(w.year);
    if (Has(w, TagWrite::Genre)) tag->setGenre(T(w.genre));
}

// The reader takes the first comment without a description: that one is set
// (an iTunes tag puts a described one first).
void SetId3v2(ID3v2::Tag* tag, const TagWrite& w)
{
    SetCommon(tag, w);
    if (Has(w, TagWrite::Track)) {
        const QString track = TrackKeepingTotal(w.track, tag);
        tag->removeFrames("TRCK");
        if (!track.isEmpty()) {
            auto* frame = new ID3v2::TextIdentificationFrame("TRCK", String::Latin1);
            frame->setText(T(track));
            tag->addFrame(frame);
        }
    }
    if (!Has(w, TagWrite::Comment)) return;
    if (w.comment.isEmpty()) {
        // Only the plain comment goes: frames with a description belong to
        // other programs (gain values, lyrics notes) and stay. An empty plain
        // frame is kept where they remain, as comment reads fall back to them.
        bool others = false;
        const ID3v2::FrameList comments = tag->frameList("COMM");  // a copy: frames go while it is walked
        for (ID3v2::Frame* f : comments) {
            auto* c = dynamic_cast<ID3v2::CommentsFrame*>(f);
            if (c && c->description().isEmpty()) tag->removeFrame(c);
            else others = true;
        }
        if (others) tag->addFrame(new ID3v2::CommentsFrame(String::Latin1));
        return;
    }
    for (ID3v2::Frame* f : tag->frameList("COMM")) {
        if (auto* c = dynamic_cast<ID3v2::CommentsFrame*>(f); c && c->description().isEmpty()) {
            c->setText(T(w.comment));
            return;
        }
    }
    auto* frame = new ID3v2::CommentsFrame(String::Latin1);
    frame->setText(T(w.comment));
    tag->addFrame(frame);
}

void SetApe(APE::Tag* tag, const TagWrite& w)
{
    SetCommon(tag, w);
    if (Has(w, TagWrite::Track)) tag->addValue("TRACK", T(TrackKeepingTotal(w.track, tag)), true);
    if (Has(w, TagWrite::Comment)) tag->setComment(T(w.comment));
}

void SetXiph(Ogg::XiphComment* tag, const TagWrite& w)
{
    SetCommon(tag, w);
    // A total in a TRACKTOTAL field of its own stays as it is.
    if (Has(w, TagWrite::Track)) tag->addField("TRACKNUMBER", T(TrackKeepingTotal(w.track, tag)), true);
    if (Has(w, TagWrite::Comment)) tag->setComment(T(w.comment));
}

// MP4 and ASF keep the track as a number: "3/12" is track 3 of 12.
void SetMp4(MP4::Tag* tag, const TagWrite& w)
{
    SetCommon(tag, w);
    if (Has(w, TagWrite::Comment)) tag->setComment(T(w.comment));
    if (!Has(w, TagWrite::Track)) return;
    const QString track = TrackKeepingTotal(w.track, tag);
    const int number = track.section(u'/', 0, 0).trimmed().toInt();
    const int total = track.section(u'/', 1, 1).trimmed().toInt();
    if (number > 0) tag->setItem("trkn", MP4::Item(number, total));
    else tag->removeItem("trkn");
}

void SetAsf(ASF::Tag* tag, const TagWrite& w)
{
    SetCommon(tag, w);
    if (Has(w, TagWrite::Comment)) tag->setComment(T(w.comment));
    if (Has(w, TagWrite::Track)) tag->setTrack(w.track.section(u'/', 0, 0).trimmed().toUInt());
}

// Formats whose save would render an ID3v1 block of TagLib's own: the block
// is taken off before and put back byte for byte after, so the one the
// program writes (or a foreign one) is never rewritten by TagLib.
template <typename F>
bool SaveKeepingId3v1(F* file)
{
    ByteVector block;
    if (file->hasID3v1Tag()) {
        file->seek(-128, File::End);
        block = file->readBlock(128);
        file->strip(F::ID3v1);
    }
    if (!file->save()) return false;
    if (block.size() == 128) {
        file->seek(0, File::End);
        file->writeBlock(block);
    }
    return true;
}

bool WriteMpeg(MPEG::File* file, const TagWrite& w)
{
    // The tags the reader reads before ID3v1; a file with neither gets ID3v2.
    const bool hadV2 = file->hasID3v2Tag();
    const bool ape = file->hasAPETag();
    int tags = 0;
    if (hadV2 || !ape) {
        SetId3v2(file->ID3v2Tag(true), w);
        tags |= MPEG::File::ID3v2;
    }
    if (ape) {
        SetApe(file->APETag(), w);
        tags |= MPEG::File::APE;
    }
    // 2.4 stays 2.4; 2.3 stays 2.3, and so do 2.2 (which TagLib cannot write)
    // and a new tag, for the players that read no 2.4.
    const ID3v2::Version version =
        hadV2 && file->ID3v2Tag()->header()->majorVersion() == 4 ? ID3v2::v4 : ID3v2::v3;
    return file->save(tags, File::StripNone, version, File::DoNotDuplicate);
}

} // namespace

bool TagLibWriter::Write(const QString& path, const TagWrite& w)
{
    const QByteArray name = QFile::encodeName(path);
    FileRef ref(name.constData(), false);
    if (ref.isNull() || !ref.file()->isValid() || ref.file()->readOnly()) return false;
    File* file = ref.file();
    if (auto* m = dynamic_cast<MPEG::File*>(file)) return WriteMpeg(m, w);
    if (auto* a = dynamic_cast<APE::File*>(file)) {
        SetApe(a->APETag(true), w);
        return SaveKeepingId3v1(a);
    }
    if (auto* c = dynamic_cast<MPC::File*>(file)) {
        SetApe(c->APETag(true), w);
        return SaveKeepingId3v1(c);
    }
    if (auto* l = dynamic_cast<FLAC::File*>(file)) {
        SetXiph(l->xiphComment(true), w);
        return SaveKeepingId3v1(l);
    }
    if (auto* mp4 = dynamic_cast<MP4::File*>(file)) {
        SetMp4(mp4->tag(), w);
        return mp4->save();
    }
    if (auto* asf = dynamic_cast<ASF::File*>(file)) {
        SetAsf(asf->tag(), w);
        return asf->save();
    }
    // Vorbis, Opus, Speex and Ogg FLAC: the Xiph comment.
    if (auto* x = dynamic_cast<Ogg::XiphComment*>(file->tag()); x && dynamic_cast<Ogg::File*>(file)) {
        SetXiph(x, w);
        return file->save();
    }
    return false;
}

TagLibWriter& ProgramTagWriter()
{
    static TagLibWriter writer;
    return writer;
}
