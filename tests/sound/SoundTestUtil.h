// Helpers of the sound tests: a scratch folder, a tone file, rendering and
// measuring the output.
#pragma once

#include "sound/System.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace soundtest {

class ScratchDir {
public:
    ScratchDir()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("sarovin-sound-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Sample i of the test tone: amplitude * sin(2 pi f i / rate), 16-bit.
inline int16_t ToneSample(int64_t i, double freq, int rate, double amplitude)
{
    return static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * freq * i / rate)));
}

// A 16-bit PCM WAV tone, the same on both channels.
inline void WriteWavTone(const std::string& path, int rate, int64_t frames, double freq, double amplitude)
{
    std::ofstream f(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t bytes = static_cast<uint32_t>(frames * 4);
    f.write("RIFF", 4); u32(36 + bytes); f.write("WAVEfmt ", 8);
    u32(16); u16(1); u16(2); u32(static_cast<uint32_t>(rate)); u32(static_cast<uint32_t>(rate) * 4); u16(4); u16(16);
    f.write("data", 4); u32(bytes);
    for (int64_t i = 0; i < frames; ++i) {
        const int16_t s = ToneSample(i, freq, rate, amplitude);
        u16(static_cast<uint16_t>(s)); u16(static_cast<uint16_t>(s));
    }
}

inline std::vector<float> Render(snd::System& system, int frames)
{
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    system.Render(out.data(), frames);
    return out;
}

// Amplitude of a sine of `freq` in one channel of interleaved stereo, over
// frames [from, from + count); exact when the span holds whole periods.
inline double ToneAmplitude(const std::vector<float>& x, int channel, double freq, int rate, size_t from, size_t count)
{
    double re = 0, im = 0;
    for (size_t i = 0; i < count; ++i) {
        const double ph = 2.0 * std::numbers::pi * freq * static_cast<double>(i) / rate;
        re += x[2 * (from + i) + channel] * std::cos(ph);
        im += x[2 * (from + i) + channel] * std::sin(ph);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(count);
}

inline double Peak(const std::vector<float>& x, size_t fromFrame, size_t toFrame)
{
    double p = 0;
    for (size_t i = 2 * fromFrame; i < 2 * toFrame && i < x.size(); ++i) p = std::max(p, std::abs(double(x[i])));
    return p;
}

} // namespace soundtest
