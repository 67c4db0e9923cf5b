// The tag save's audio check over real files: a retagged copy carries the same
// audio, a copy with one audio byte changed or cut short does not, and an
// original without demuxable audio (or with a tag footer that contradicts
// itself, where the tag bounds the audio) gives nothing to compare with.
#include "sound/AudioCheck.h"
#include "tests/support/AudioFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <functional>

using snd::AudioMatch;

namespace {

std::string Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Flips one byte in the middle of the audio, found through the demuxed packets.
bool ChangeOneAudioByte(const QString& path)
{
    const QByteArray payload = AudioPayload(path), raw = ReadRawFile(path);
    const qsizetype at = raw.indexOf(payload.mid(payload.size() / 2, 32));
    if (payload.size() < 64 || at < 0) return false;
    QByteArray changed = raw;
    changed[at + 16] = char(changed[at + 16] ^ 0x5a);
    return WriteRawFile(path, changed);
}

bool CutEnd(const QString& path, qsizetype bytes)
{
    return WriteRawFile(path, ReadRawFile(path).chopped(bytes));
}

bool Retag(const QString& path)
{
    return WriteFixtureTags(path, {.Title = QString(700, u'n'), .Artist = "Andere", .Id3v2Version = 3});
}

// Retags and appends an ID3v1 block, as the tag save does to Musepack.
bool RetagWithId3v1(const QString& path)
{
    return Retag(path) && WriteRawFile(path, ReadRawFile(path) + "TAG" + QByteArray(125, 'v'));
}

// The APE footer (the last "APETAGEX") claims 1000 bytes more than the tag has.
bool StretchApeFooter(const QString& path)
{
    QByteArray raw = ReadRawFile(path);
    const qsizetype footer = raw.lastIndexOf("APETAGEX");
    if (footer < 0) return false;
    qToLittleEndian<quint32>(qFromLittleEndian<quint32>(raw.constData() + footer + 12) + 1000, raw.data() + footer + 12);
    return WriteRawFile(path, raw);
}

TEST(AudioCheckTest, OnlyTheAudioCounts)
{
    using Change = std::function<bool(const QString&)>;
    const Change none = [](const QString&) { return true; };
    const struct { FixtureFormat fmt; Change original, copy; AudioMatch want; } rows[] = {
        {FixtureFormat::Mp3, none, none, AudioMatch::Same},
        {FixtureFormat::Mp3, none, Retag, AudioMatch::Same},
        {FixtureFormat::Mp3, none, ChangeOneAudioByte, AudioMatch::Differs},
        {FixtureFormat::Mp3, none, [](const QString& p) { return CutEnd(p, 1000); }, AudioMatch::Differs},
        {FixtureFormat::Ogg, none, Retag, AudioMatch::Same},
        {FixtureFormat::Ogg, none, ChangeOneAudioByte, AudioMatch::Differs},
        {FixtureFormat::Flac, none, Retag, AudioMatch::Same},
        {FixtureFormat::Flac, none, ChangeOneAudioByte, AudioMatch::Differs},
        {FixtureFormat::M4a, none, Retag, AudioMatch::Same},
        {FixtureFormat::M4a, none, ChangeOneAudioByte, AudioMatch::Differs},
        {FixtureFormat::Wma, none, Retag, AudioMatch::Same},
        {FixtureFormat::Wma, none, ChangeOneAudioByte, AudioMatch::Differs},
        // Musepack: the bytes before its APE tag and ID3v1 block.
        {FixtureFormat::Mpc, none, Retag, AudioMatch::Same},
        {FixtureFormat::Mpc, none, RetagWithId3v1, AudioMatch::Same},
        {FixtureFormat::Mpc, none, ChangeOneAudioByte, AudioMatch::Differs},
        {FixtureFormat::Mpc, none, [](const QString& p) { return CutEnd(p, 200); }, AudioMatch::Differs},
        {FixtureFormat::Mpc, StretchApeFooter, none, AudioMatch::Unreadable},
        {FixtureFormat::Mp3, [](const QString& p) { return WriteRawFile(p, QByteArray(4096, 'x')); }, none,
         AudioMatch::Unreadable},
    };
    QTemporaryDir dir;
    for (const auto& r : rows) {
        const QString original = dir.filePath("a" + FixtureExtension(r.fmt)),
                      copy = dir.filePath("b" + FixtureExtension(r.fmt));
        SCOPED_TRACE(original.toStdString() + " row " + std::to_string(&r - rows));
        ASSERT_TRUE(MakeToneFile(original, r.fmt, 1.0) && WriteFixtureTags(original, {.Title = "Alt", .Id3v1Genre = 17}));
        ASSERT_TRUE(r.original(original));
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(original, copy));
        ASSERT_TRUE(r.copy(copy));
        EXPECT_EQ(int(snd::CompareAudio(Native(original), Native(copy))), int(r.want));
    }
}

} // namespace
