// Where the mixed sound goes: a device through SDL, or an offline backend that
// renders on demand for tests and benchmarks.
#pragma once

#include "sound/Result.h"

#include <memory>

namespace snd {

class Mixer;

struct OutputConfig {
    enum class Kind { Device, Offline };
    Kind kind = Kind::Device;
    int sampleRate = 0;   // 0: the device's own rate (offline: 48000)
    int blockFrames = 0;  // offline mixing block; 0: 10 ms
};

class Output {
public:
    virtual ~Output() = default;
    virtual int SampleRate() const = 0;
    // Starts taking blocks from the mixer.
    virtual void Start(Mixer* mixer) = 0;
    // Once this returns the mixer is no longer called.
    virtual void Stop() = 0;
    // Offline only: mixes `frames` frames into interleaved stereo, block by
    // block, waiting for decoders instead of leaving gaps.
    virtual Result Render(float* /*interleaved*/, int /*frames*/) { return Result::NotOffline; }
};

std::unique_ptr<Output> OpenOutput(const OutputConfig& config, Result* error);

} // namespace snd
