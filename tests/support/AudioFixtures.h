// Real audio files made at test time: a sine tone encoded into each format the
// player knows, and tags written with TagLib. Nothing binary is kept in the tree.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class FixtureFormat {
    Mp3,   // libmp3lame in MPEG audio
    Ogg,   // libvorbis in Ogg
    Flac,
    Wav,   // pcm_s16le in RIFF
    M4a,   // AAC in MP4 (ipod flavour)
    Wma,   // wmav2 in ASF
    Mpc,   // Musepack, through the mpcenc tool of musepack-tools
};

// The file-name extension with its dot, lower case (".mp3").
QString FixtureExtension(FixtureFormat fmt);

// Writes a sine tone of the given length to path (overwritten). Short tones
// keep the tests fast; an amplitude of half full scale leaves headroom for
// lossy encoders. False, with nothing usable at path, when encoding failed.
bool MakeToneFile(const QString& path, FixtureFormat fmt, double seconds, double freqHz = 440,
                  int sampleRate = 44100, int channels = 2);

// Tag texts as they are stored in the file, raw: Track "3/12" stays "3/12",
// Genre "17" is written as the text 17 (an ID3v2 TCON frame holding a number).
// Empty texts and a year of 0 are left out.
struct FixtureTags {
    QString Title;
    QString Artist;
    QString Album;
    QString Comment;
    QString Genre;
    QString Track;
    unsigned Year = 0;
    // MPEG only: also an ID3v1 tag with this genre number (0..255), its other
    // fields copied from above; the ID3v2 tag then holds no genre unless Genre is set.
    int Id3v1Genre = -1;
    // MPEG only: write the ID3v1 tag alone (no ID3v2 tag at all).
    bool Id3v1Only = false;
    // MPEG only: the ID3v2 version written (3 or 4).
    int Id3v2Version = 4;
};

bool WriteFixtureTags(const QString& path, const FixtureTags& tags);

// The bytes of every packet of the file's first audio stream, in order, as
// libavformat demuxes them: what a tag write must leave alone (of Musepack the
// bytes before its tags, whose APE tag the demuxer would read as a packet).
// Empty on failure.
QByteArray AudioPayload(const QString& path);

// Writes bytes to path, replacing it (text or noise posing as an audio file).
bool WriteRawFile(const QString& path, const QByteArray& bytes);
// The bytes of the file, empty when it cannot be read.
QByteArray ReadRawFile(const QString& path);
// The files below dir (hidden ones too) as sorted paths relative to it.
QStringList FilesUnder(const QString& dir);
