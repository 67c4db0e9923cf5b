// The fixture generator itself: each format comes out as a file FFmpeg opens
// with the intended codec and about the intended length. (Its tags are read
// back in the tag reader's tests.)
#include "tests/support/AudioFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <taglib/fileref.h>
#include <taglib/tag.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

struct Probe {
    QString codec;
    double seconds = 0;
    int sampleRate = 0;
    int channels = 0;
};

bool ProbeFile(const QString& path, Probe* probe)
{
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, QFile::encodeName(path).constData(), nullptr, nullptr) < 0) return false;
    bool ok = avformat_find_stream_info(ctx, nullptr) >= 0 && ctx->nb_streams == 1;
    if (ok) {
        const AVCodecParameters* par = ctx->streams[0]->codecpar;
        probe->codec = QString::fromLatin1(avcodec_get_name(par->codec_id));
        probe->sampleRate = par->sample_rate;
        probe->channels = par->ch_layout.nb_channels;
        probe->seconds = ctx->duration > 0 ? double(ctx->duration) / AV_TIME_BASE : 0;
    }
    avformat_close_input(&ctx);
    if (ok && probe->seconds == 0) {
        // The Musepack demuxer gives no duration; its header does.
        TagLib::FileRef ref(QFile::encodeName(path).constData());
        if (!ref.isNull() && ref.audioProperties())
            probe->seconds = ref.audioProperties()->lengthInMilliseconds() / 1000.0;
    }
    return ok;
}

TEST(AudioFixtures, EachFormatIsProducedWithItsCodec)
{
    struct Case { FixtureFormat fmt; const char* codec; };
    const Case cases[] = {
        {FixtureFormat::Mp3, "mp3"},  {FixtureFormat::Ogg, "vorbis"}, {FixtureFormat::Flac, "flac"},
        {FixtureFormat::Wav, "pcm_s16le"}, {FixtureFormat::M4a, "aac"}, {FixtureFormat::Wma, "wmav2"},
        {FixtureFormat::Mpc, "musepack8"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("tone") + FixtureExtension(c.fmt));
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(MakeToneFile(path, c.fmt, 1.0, 440, 44100, 2));
        Probe p;
        ASSERT_TRUE(ProbeFile(path, &p));
        EXPECT_EQ(p.codec, QString::fromLatin1(c.codec));
        EXPECT_EQ(p.sampleRate, 44100);
        EXPECT_EQ(p.channels, 2);
        EXPECT_NEAR(p.seconds, 1.0, 0.1);
    }
}

TEST(AudioFixtures, MonoAndOtherRates)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mono.flac"));
    ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Flac, 0.5, 1000, 48000, 1));
    Probe p;
    ASSERT_TRUE(ProbeFile(path, &p));
    EXPECT_EQ(p.sampleRate, 48000);
    EXPECT_EQ(p.channels, 1);
    EXPECT_NEAR(p.seconds, 0.5, 0.05);
}

TEST(AudioFixtures, RateTheEncoderRefusesFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd.mp3"));
    EXPECT_FALSE(MakeToneFile(path, FixtureFormat::Mp3, 0.2, 440, 12345, 2));
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
