// The sound system: the public, handle-based face of the sound library.
//
// Threads and locks: every method may be called from any thread. `apiMutex_`
// guards the handle tables, the output and the mixer's existence; it is taken
// first, then (inside the mixer) the mixer's lock. The output's thread takes
// only the mixer's lock; decoder workers take neither. Streams are freed, and
// their workers joined, under `apiMutex_` only, never under the mixer's lock.
#pragma once

#include "sound/HandleTable.h"
#include "sound/Output.h"
#include "sound/ParametricEq.h"
#include "sound/Result.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace snd {

class Mixer;
class SpectrumAnalyser;
class Stream;

class System {
public:
    static constexpr uint32_t kVersion = 0x00010000;
    static constexpr int kSpectrumBins = 512;

    System();
    ~System();  // closes
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    uint32_t Version() const { return kVersion; }

    Result Init(int maxChannels, const OutputConfig& output = {});
    // Stops everything, frees streams and units; the system can be initialised again.
    Result Close();

    // Output format: always two channels, float samples.
    Result GetOutputFormat(int* sampleRate, int* channels);

    // Reads the file's header here; decoding then runs on the stream's own thread.
    Result CreateStream(const std::string& path, StreamHandle* stream);
    // Releasing a stream stops its channel.
    Result ReleaseStream(StreamHandle stream);
    // A stream plays on one channel in its lifetime.
    Result Play(StreamHandle stream, bool paused, ChannelHandle* channel);

    // Channels: a channel that has ended or been stopped answers InvalidHandle.
    Result Stop(ChannelHandle channel);
    Result SetVolume(ChannelHandle channel, float volume);  // linear 0..1
    Result GetVolume(ChannelHandle channel, float* volume); // the value last set
    Result SetPosition(ChannelHandle channel, uint32_t ms);
    Result GetPosition(ChannelHandle channel, uint32_t* ms); // source time as heard
    Result SetPaused(ChannelHandle channel, bool paused);
    Result GetPaused(ChannelHandle channel, bool* paused);
    // True from the start until the last sample has been mixed, also while
    // paused or waiting for the decoder; false (with an error) once it is gone.
    Result IsPlaying(ChannelHandle channel, bool* playing);

    // Parametric EQ units, acting on the whole output once added.
    Result CreateEqUnit(UnitHandle* unit);
    Result AddUnit(UnitHandle unit);
    Result RemoveUnit(UnitHandle unit);
    Result SetUnitParameter(UnitHandle unit, int index, float value);
    Result GetUnitParameter(UnitHandle unit, int index, float* value);

    // kSpectrumBins magnitudes of the last 1024 output samples of one output
    // channel, after the EQ, through a triangle window.
    Result GetSpectrum(int outputChannel, float* magnitudes);

    // Offline backend only: renders the next `frames` frames of interleaved stereo.
    Result Render(float* interleaved, int frames);

private:
    void ReapLocked();
    template <class F>
    Result WithMixer(F&& f);

    std::mutex apiMutex_;
    std::unique_ptr<Output> output_;
    std::unique_ptr<Mixer> mixer_;
    std::unique_ptr<SpectrumAnalyser> analyser_;
    struct StreamEntry {
        std::shared_ptr<Stream> stream;
        bool played = false;
    };
    HandleTable<StreamEntry> streams_{HandleKind::Stream};
    HandleTable<std::unique_ptr<ParametricEq>> units_{HandleKind::Unit};
};

} // namespace snd
