// What a mixer voice plays: interleaved stereo frames at the output rate,
// looked at and taken in pieces. A stream (a decoder on its worker thread) is
// the program's source; tests script one to make a decoder lag on cue.
//
// Threads: the mixer calls every method under its own lock: Peek, Consume and
// WaitForData from the output's thread, RequestSeek from the API's thread.
// An implementation must not block in Peek or Consume.
#pragma once

#include <cstdint>

namespace snd {

class Source {
public:
    // Data: frames are ready; Underrun: none yet, more will come (the decoder
    // lags); Ended: nothing more will come.
    enum class State { Data, Underrun, Ended };

    virtual ~Source() = default;

    // Continue from `frame`; returns the generation whose frames carry the new place.
    virtual uint32_t RequestSeek(int64_t frame) = 0;
    // The next frames of `generation` (frames of an older one are dropped on the way).
    virtual State Peek(uint32_t generation, const float** samples, int* frames) = 0;
    // Takes that many of the frames Peek gave.
    virtual void Consume(int frames) = 0;
    // Blocks until more frames are there (or the source ended).
    virtual void WaitForData() = 0;
};

} // namespace snd
