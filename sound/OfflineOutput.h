// The offline backend: no device and no thread; the caller renders blocks on
// demand, on its own thread, and the mixer waits for the decoders.
#pragma once

#include "sound/Output.h"

namespace snd {

class OfflineOutput : public Output {
public:
    OfflineOutput(int sampleRate, int blockFrames);
    int SampleRate() const override { return sampleRate_; }
    void Start(Mixer* mixer) override { mixer_ = mixer; }
    void Stop() override { mixer_ = nullptr; }
    Result Render(float* interleaved, int frames) override;

private:
    int sampleRate_;
    int blockFrames_;
    Mixer* mixer_ = nullptr;
};

} // namespace snd
