// Whether a rewritten copy of an audio file still carries the original's
// audio: the tag save's last word before the copy may replace the file.
#pragma once

#include <string>

namespace snd {

enum class AudioMatch {
    Same,
    Differs,     // another number of packets, another size or other bytes
    Unreadable,  // the original's audio cannot be demuxed: nothing to compare with
};

// Demuxes both files and compares the packets of the first audio stream.
// Musepack and Monkey's Audio demuxers read a trailing APE tag and ID3v1 block
// into the last packet, so for them the file bytes before those tags are
// compared instead; a tag footer that contradicts its own header counts as
// unreadable.
AudioMatch CompareAudio(const std::string& original, const std::string& copy);

} // namespace snd
