#include "sound/Spectrum.h"

#include <kiss_fftr.h>

#include <cmath>

namespace snd {

void SpectrumCapture::Write(const float* x, int frames)
{
    // Only the last kSize frames can survive.
    if (frames > kSize) {
        x += 2 * (frames - kSize);
        frames = kSize;
    }
    for (int i = 0; i < frames; ++i) {
        ring_[0][pos_] = x[2 * i];
        ring_[1][pos_] = x[2 * i + 1];
        pos_ = (pos_ + 1) % kSize;
    }
}

void SpectrumCapture::CopyChannel(int channel, float* out) const
{
    const auto& r = ring_[channel];
    for (int i = 0; i < kSize; ++i) out[i] = r[(pos_ + i) % kSize];
}

SpectrumAnalyser::SpectrumAnalyser() : fft_(kiss_fftr_alloc(SpectrumCapture::kSize, 0, nullptr, nullptr))
{
    constexpr int n = SpectrumCapture::kSize;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        window_[i] = static_cast<float>(1.0 - std::abs((2.0 * i - (n - 1)) / (n - 1)));
        sum += window_[i];
    }
    scale_ = static_cast<float>(2.0 / sum);
}

SpectrumAnalyser::~SpectrumAnalyser()
{
    kiss_fftr_free(fft_);
}

void SpectrumAnalyser::Analyse(const float* samples, float* magnitudes)
{
    constexpr int n = SpectrumCapture::kSize;
    kiss_fft_scalar in[n];
    kiss_fft_cpx out[n / 2 + 1];
    for (int i = 0; i < n; ++i) in[i] = samples[i] * window_[i];
    kiss_fftr(fft_, in, out);
    for (int k = 0; k < kBins; ++k) magnitudes[k] = std::hypot(out[k].r, out[k].i) * scale_;
}

} // namespace snd
