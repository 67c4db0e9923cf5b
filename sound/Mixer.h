// The mixer: playing channels (voices) with ramped volumes, their sum, the EQ
// chain and the spectrum capture.
//
// Threads and locks: `mutex_` guards everything here. The output's thread (the
// SDL callback, or the caller of an offline render) holds it for one block of
// Mix. API calls hold it only to read or set a few fields; they never do file
// I/O, free a stream or join a thread under it, so the callback never waits
// long. Sources (streams) of finished voices are handed out by Reap and freed
// by the API's thread outside the lock.
#pragma once

#include "sound/ParametricEq.h"
#include "sound/Result.h"
#include "sound/Spectrum.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace snd {

class Source;

class Mixer {
public:
    Mixer(int sampleRate, int maxChannels);

    int SampleRate() const { return sampleRate_; }

    // API thread.
    Result Start(std::shared_ptr<Source> source, bool paused, ChannelHandle* channel);
    Result Stop(ChannelHandle channel);
    // Stops whatever channel plays the source (its handle dies at once).
    void StopSource(const Source* source);
    Result SetVolume(ChannelHandle channel, float volume);
    Result GetVolume(ChannelHandle channel, float* volume);
    Result SetPosition(ChannelHandle channel, uint32_t ms);
    Result GetPosition(ChannelHandle channel, uint32_t* ms);
    Result SetPaused(ChannelHandle channel, bool paused);
    Result GetPaused(ChannelHandle channel, bool* paused);
    Result IsPlaying(ChannelHandle channel, bool* playing);

    void AddUnit(ParametricEq* unit);
    void RemoveUnit(ParametricEq* unit);
    bool HasUnit(const ParametricEq* unit);
    Result SetUnitParameter(ParametricEq* unit, int index, float value);
    Result GetUnitParameter(ParametricEq* unit, int index, float* value);

    void CopySpectrum(int outputChannel, float* samples);

    // Moves the sources of voices that have finished into `out` and frees
    // their slots; also takes every source when `all` is set (at close).
    void Reap(std::vector<std::shared_ptr<Source>>* out, bool all = false);

    // Output thread: mixes `frames` interleaved stereo frames into `out` as one
    // block. With `waitForData` a channel whose source lags is waited for
    // instead of left silent (offline rendering).
    void Mix(float* out, int frames, bool waitForData);

private:
    enum class VoiceState { Free, Playing, Stopping, Finished };
    struct Voice {
        VoiceState state = VoiceState::Free;
        uint32_t handleGeneration = 0;
        std::shared_ptr<Source> source;
        uint32_t generation = 0;  // of the source's place
        float volume = 1.0f;  // as last set
        float gain = 0.0f;    // where the ramp stands
        bool paused = false;
        int64_t position = 0;  // frames of source time mixed
    };

    Voice* Find(ChannelHandle channel);  // a live (playing) voice, or nullptr
    void MixVoice(Voice& v, float* out, int frames, bool waitForData);

    const int sampleRate_;
    std::mutex mutex_;
    std::vector<Voice> voices_;
    std::vector<ParametricEq*> chain_;
    SpectrumCapture spectrum_;
};

} // namespace snd
