#include "sound/Spectrum.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>

namespace snd {

void SpectrumCapture::Write(const float* x, int frames)
{
    // Only the last kSize frames can survive.
    if (frames > kSize) {
        x += 2 * (frames - kSize);
        frames = kSize;
    }
    while (frames > 0) {
        const int n = std::min(frames, kSize - pos_);
        float* l = ring_[0].data() + pos_;
        float* r = ring_[1].data() + pos_;
        for (int i = 0; i < n; ++i) {
            l[i] = x[2 * i];
            r[i] = x[2 * i + 1];
        }
        x += 2 * n;
        frames -= n;
        pos_ = (pos_ + n) % kSize;
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
    for (int k = 0; k < kBins; ++k) magnitudes[k] = std::sqrt(out[k].r * out[k].r + out[k].i * out[k].i) * scale_;
}

} // namespace snd
