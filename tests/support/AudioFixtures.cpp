#include "tests/support/AudioFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <memory>
#include <numbers>

namespace {

struct FormatInfo {
    FixtureFormat fmt;
    const char* extension;
    const char* muxer;    // nullptr: not made with libavformat
    const char* encoder;
    int bitRate;          // 0: the encoder's own choice
};

const FormatInfo kFormats[] = {
    {FixtureFormat::Mp3, ".mp3", "mp3", "libmp3lame", 128000},
    {FixtureFormat::Ogg, ".ogg", "ogg", "libvorbis", 0},
    {FixtureFormat::Flac, ".flac", "flac", "flac", 0},
    {FixtureFormat::Wav, ".wav", "wav", "pcm_s16le", 0},
    {FixtureFormat::M4a, ".m4a", "ipod", "aac", 128000},
    {FixtureFormat::Wma, ".wma", "asf", "wmav2", 128000},
    {FixtureFormat::Mpc, ".mpc", nullptr, nullptr, 0},
};

const FormatInfo& Info(FixtureFormat fmt)
{
    for (const FormatInfo& f : kFormats)
        if (f.fmt == fmt) return f;
    return kFormats[0];
}

struct CodecCtxFree { void operator()(AVCodecContext* c) const { avcodec_free_context(&c); } };
struct FrameFree { void operator()(AVFrame* f) const { av_frame_free(&f); } };
struct PacketFree { void operator()(AVPacket* p) const { av_packet_free(&p); } };
struct OutputFree {
    void operator()(AVFormatContext* f) const
    {
        if (f->pb) avio_closep(&f->pb);
        avformat_free_context(f);
    }
};

// The encoder's first sample format among those the tone writer can fill.
AVSampleFormat PickSampleFormat(const AVCodec* codec)
{
    if (!codec->sample_fmts) return AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* p = codec->sample_fmts; *p != AV_SAMPLE_FMT_NONE; ++p) {
        switch (*p) {
        case AV_SAMPLE_FMT_S16: case AV_SAMPLE_FMT_S16P:
        case AV_SAMPLE_FMT_S32: case AV_SAMPLE_FMT_S32P:
        case AV_SAMPLE_FMT_FLT: case AV_SAMPLE_FMT_FLTP:
            return *p;
        default:
            break;
        }
    }
    return AV_SAMPLE_FMT_NONE;
}

bool SampleRateSupported(const AVCodec* codec, int rate)
{
    if (!codec->supported_samplerates) return true;
    for (const int* r = codec->supported_samplerates; *r; ++r)
        if (*r == rate) return true;
    return false;
}

// Samples from end on are silence (padding of a fixed-size last frame).
void FillTone(AVFrame* frame, int64_t firstSample, int64_t end, double freqHz, int sampleRate)
{
    const auto fmt = static_cast<AVSampleFormat>(frame->format);
    const bool planar = av_sample_fmt_is_planar(fmt);
    const int channels = frame->ch_layout.nb_channels;
    for (int i = 0; i < frame->nb_samples; ++i) {
        const int64_t n = firstSample + i;
        const double v = n < end ? 0.5 * std::sin(2 * std::numbers::pi * freqHz * double(n) / sampleRate) : 0.0;
        for (int ch = 0; ch < channels; ++ch) {
            const int plane = planar ? ch : 0;
            const int index = planar ? i : i * channels + ch;
            switch (fmt) {
            case AV_SAMPLE_FMT_S16: case AV_SAMPLE_FMT_S16P:
                reinterpret_cast<int16_t*>(frame->data[plane])[index] = int16_t(std::lrint(v * 32767));
                break;
            case AV_SAMPLE_FMT_S32: case AV_SAMPLE_FMT_S32P:
                reinterpret_cast<int32_t*>(frame->data[plane])[index] = int32_t(std::lrint(v * 2147483647.0));
                break;
            default:
                reinterpret_cast<float*>(frame->data[plane])[index] = float(v);
                break;
            }
        }
    }
}

// Sends one frame (nullptr flushes) and writes every packet the encoder gives back.
bool Drain(AVCodecContext* enc, AVFormatContext* out, AVStream* stream, AVFrame* frame, AVPacket* pkt)
{
    if (avcodec_send_frame(enc, frame) < 0) return false;
    for (;;) {
        const int r = avcodec_receive_packet(enc, pkt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
        if (r < 0) return false;
        av_packet_rescale_ts(pkt, enc->time_base, stream->time_base);
        pkt->stream_index = stream->index;
        if (av_interleaved_write_frame(out, pkt) < 0) return false;
    }
}

bool EncodeTone(const QString& path, const FormatInfo& info, double seconds, double freqHz, int sampleRate,
                int channels)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(info.encoder);
    if (!codec || !SampleRateSupported(codec, sampleRate) || channels < 1) return false;
    const AVSampleFormat sampleFmt = PickSampleFormat(codec);
    if (sampleFmt == AV_SAMPLE_FMT_NONE) return false;

    const QByteArray file = QFile::encodeName(path);
    AVFormatContext* rawOut = nullptr;
    if (avformat_alloc_output_context2(&rawOut, nullptr, info.muxer, file.constData()) < 0) return false;
    std::unique_ptr<AVFormatContext, OutputFree> out(rawOut);

    std::unique_ptr<AVCodecContext, CodecCtxFree> enc(avcodec_alloc_context3(codec));
    if (!enc) return false;
    enc->sample_fmt = sampleFmt;
    enc->sample_rate = sampleRate;
    av_channel_layout_default(&enc->ch_layout, channels);
    enc->time_base = AVRational{1, sampleRate};
    if (info.bitRate) enc->bit_rate = info.bitRate;
    if (out->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(enc.get(), codec, nullptr) < 0) return false;

    AVStream* stream = avformat_new_stream(out.get(), nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, enc.get()) < 0) return false;
    stream->time_base = enc->time_base;
    if (avio_open(&out->pb, file.constData(), AVIO_FLAG_WRITE) < 0) return false;
    if (avformat_write_header(out.get(), nullptr) < 0) return false;

    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFree> pkt(av_packet_alloc());
    if (!frame || !pkt) return false;
    const bool variable = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || enc->frame_size <= 0;
    const int frameSize = variable ? 1152 : enc->frame_size;
    // Encoders of fixed frames that refuse a short last one get it padded with silence.
    const bool padLast = !variable && !(codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    const int64_t total = std::llround(seconds * sampleRate);
    for (int64_t done = 0; done < total;) {
        frame->nb_samples = padLast ? frameSize : int(std::min<int64_t>(frameSize, total - done));
        frame->format = sampleFmt;
        frame->sample_rate = sampleRate;
        if (av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout) < 0) return false;
        if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
        FillTone(frame.get(), done, total, freqHz, sampleRate);
        frame->pts = done;
        if (!Drain(enc.get(), out.get(), stream, frame.get(), pkt.get())) return false;
        av_frame_unref(frame.get());
        done += frameSize;
    }
    if (!Drain(enc.get(), out.get(), stream, nullptr, pkt.get())) return false;
    return av_write_trailer(out.get()) == 0;
}

bool EncodeMusepack(const QString& path, double seconds, double freqHz, int sampleRate, int channels)
{
    QTemporaryDir work;
    if (!work.isValid()) return false;
    const QString wav = work.filePath(QStringLiteral("tone.wav"));
    if (!EncodeTone(wav, Info(FixtureFormat::Wav), seconds, freqHz, sampleRate, channels)) return false;
    QFile::remove(path);
    QProcess enc;
    enc.start(QStringLiteral("mpcenc"), {QStringLiteral("--silent"), QStringLiteral("--overwrite"), wav, path});
    if (!enc.waitForFinished(60000)) {
        enc.kill();
        enc.waitForFinished();
        return false;
    }
    return enc.exitStatus() == QProcess::NormalExit && enc.exitCode() == 0 && QFileInfo(path).size() > 0;
}

TagLib::String T(const QString& s)
{
    return TagLib::String(s.toStdString(), TagLib::String::UTF8);
}

} // namespace

QString FixtureExtension(FixtureFormat fmt)
{
    return QString::fromLatin1(Info(fmt).extension);
}

bool MakeToneFile(const QString& path, FixtureFormat fmt, double seconds, double freqHz, int sampleRate,
                  int channels)
{
    bool ok = fmt == FixtureFormat::Mpc ? EncodeMusepack(path, seconds, freqHz, sampleRate, channels)
                                        : EncodeTone(path, Info(fmt), seconds, freqHz, sampleRate, channels);
    if (!ok) QFile::remove(path);
    return ok;
}

bool WriteFixtureTags(const QString& path, const FixtureTags& tags)
{
    const QByteArray name = QFile::encodeName(path);
    TagLib::FileRef ref(name.constData(), false);
    if (ref.isNull()) return false;

    auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file());
    if (!tags.Id3v1Only) {
        TagLib::PropertyMap props;
        auto put = [&](const char* key, const QString& value) {
            if (!value.isEmpty()) props.insert(key, TagLib::StringList(T(value)));
        };
        put("TITLE", tags.Title);
        put("ARTIST", tags.Artist);
        put("ALBUM", tags.Album);
        put("COMMENT", tags.Comment);
        put("GENRE", tags.Genre);
        put("TRACKNUMBER", tags.Track);
        if (tags.Year) put("DATE", QString::number(tags.Year));
        ref.file()->setProperties(props);
    }
    const auto v2 = tags.Id3v2Version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
    if (!mpeg) return ref.save();
    if (tags.Id3v1Genre < 0 && !tags.Id3v1Only)  // as save() does, in the version asked for
        return mpeg->save(TagLib::MPEG::File::AllTags, TagLib::File::StripOthers, v2, TagLib::File::Duplicate);

    // The ID3v1 block is written on its own so that TagLib copies nothing
    // between the two tags (a genre number would come back as a name).
    TagLib::ID3v1::Tag* v1 = mpeg->ID3v1Tag(true);
    v1->setTitle(T(tags.Title));
    v1->setArtist(T(tags.Artist));
    v1->setAlbum(T(tags.Album));
    v1->setComment(T(tags.Comment));
    v1->setYear(tags.Year);
    v1->setTrack(tags.Track.section(u'/', 0, 0).toUInt());
    v1->setGenreNumber(tags.Id3v1Genre < 0 ? 255 : unsigned(tags.Id3v1Genre));
    const int which = tags.Id3v1Only ? TagLib::MPEG::File::ID3v1 : TagLib::MPEG::File::AllTags;
    return mpeg->save(which, TagLib::File::StripOthers, v2, TagLib::File::DoNotDuplicate);
}

QByteArray AudioPayload(const QString& path)
{
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, QFile::encodeName(path).constData(), nullptr, nullptr) < 0) return {};
    QByteArray out;
    if (QByteArray(in->iformat->name).startsWith("mpc")) {
        // Its demuxer takes an APE tag's "AP" for an audio packet: the stream is what lies before the tag.
        avformat_close_input(&in);
        const QByteArray raw = ReadRawFile(path);
        const qsizetype tag = raw.indexOf("APETAGEX");
        return raw.left(tag >= 0 ? tag : raw.size() - (raw.right(128).startsWith("TAG") ? 128 : 0));
    }
    const int stream = avformat_find_stream_info(in, nullptr) < 0
                           ? -1 : av_find_best_stream(in, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    std::unique_ptr<AVPacket, PacketFree> pkt(av_packet_alloc());
    while (stream >= 0 && pkt && av_read_frame(in, pkt.get()) >= 0) {
        if (pkt->stream_index == stream) out.append(reinterpret_cast<const char*>(pkt->data), pkt->size);
        av_packet_unref(pkt.get());
    }
    avformat_close_input(&in);
    return out;
}

bool WriteRawFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size() && f.flush();
}

QByteArray ReadRawFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList FilesUnder(const QString& dir)
{
    QStringList out;
    for (QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();)
        out << it.next().mid(dir.size() + 1);
    out.sort();
    return out;
}
