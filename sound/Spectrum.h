// The spectrum of the output: the mixer captures the last 1024 samples of each
// output channel; a reader turns one channel's copy into 512 magnitudes.
// Not thread-safe: the mixer guards the capture; the transform works on a copy.
#pragma once

#include <array>
#include <memory>

struct kiss_fftr_state;

namespace snd {

class SpectrumCapture {
public:
    static constexpr int kSize = 1024;
    static constexpr int kChannels = 2;

    // Appends interleaved stereo frames, keeping the last kSize per channel.
    void Write(const float* interleaved, int frames);
    // The last kSize samples of one channel, oldest first.
    void CopyChannel(int channel, float* out) const;

private:
    std::array<std::array<float, kSize>, kChannels> ring_{};
    int pos_ = 0;  // next write position, the oldest sample
};

class SpectrumAnalyser {
public:
    static constexpr int kBins = SpectrumCapture::kSize / 2;

    SpectrumAnalyser();
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    // Triangle window, then magnitudes scaled so a full-scale sine on a bin
    // reads 1.0 there.
    void Analyse(const float* samples, float* magnitudes);

private:
    kiss_fftr_state* fft_;
    std::array<float, SpectrumCapture::kSize> window_;
    float scale_;
};

} // namespace snd
