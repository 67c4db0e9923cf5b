// Output to the sound device through SDL2 audio: float32 stereo at the
// device's rate, one block of whole milliseconds (10 ms) per callback.
//
// One device per process: the fallback restarts SDL's audio subsystem.
//
// Threads: SDL's audio thread runs Callback, which only calls Mixer::Mix
// (under the mixer's lock, never waiting for decoders). Open, Start and Stop
// run on the API's thread; Stop closes the device, which waits for a running
// callback to return.
#pragma once

#include "sound/Output.h"

#include <SDL2/SDL.h>

#include <atomic>

namespace snd {

class SdlOutput : public Output {
public:
    // Opens the default device; where none opens, SDL's silent "dummy" driver,
    // which keeps time like a device. Reports that once on stderr.
    static std::unique_ptr<SdlOutput> Open(int sampleRate, Result* error);
    ~SdlOutput() override;

    int SampleRate() const override { return sampleRate_; }
    void Start(Mixer* mixer) override;
    void Stop() override;

private:
    SdlOutput() = default;
    static void Callback(void* self, Uint8* stream, int bytes);

    SDL_AudioDeviceID device_ = 0;
    int sampleRate_ = 0;
    std::atomic<Mixer*> mixer_{nullptr};
    bool quitSubsystem_ = false;  // SDL_InitSubSystem succeeded
    bool quitAudio_ = false;      // the dummy driver was started by hand
};

} // namespace snd
