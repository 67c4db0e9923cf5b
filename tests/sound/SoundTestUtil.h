// Helpers of the sound tests: tone files from the fixture generator, playing
// them on the offline output, and measuring what comes out.
#pragma once

#include "sound/System.h"
#include "tests/support/AudioFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace soundtest {

constexpr int kRate = 48000;
constexpr int kBlock = 480;  // 10 ms
constexpr double kAmp = 0.5;  // the fixture tone's amplitude

inline const snd::OutputConfig kOffline{snd::OutputConfig::Kind::Offline, kRate, kBlock};

// A stereo tone file made by the shared fixture generator.
inline std::string Tone(const QTemporaryDir& dir, const QString& name, FixtureFormat fmt, double seconds, double freq,
                        int rate = kRate)
{
    EXPECT_TRUE(MakeToneFile(dir.filePath(name), fmt, seconds, freq, rate, 2)) << name.toStdString();
    return dir.filePath(name).toStdString();
}

inline snd::ChannelHandle Start(snd::System& sys, const std::string& path, snd::StreamHandle* stream = nullptr)
{
    snd::StreamHandle s = 0;
    snd::ChannelHandle c = 0;
    EXPECT_EQ(sys.CreateStream(path, &s), snd::Result::Ok) << path;
    EXPECT_EQ(sys.Play(s, false, &c), snd::Result::Ok);
    if (stream) *stream = s;
    return c;
}

inline std::vector<float> Render(snd::System& sys, int frames)
{
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    sys.Render(out.data(), frames);
    return out;
}

// Amplitude of a sine of `freq` in one channel of interleaved stereo, over
// frames [from, from + count); exact when the span holds whole periods.
inline double ToneAmplitude(const std::vector<float>& x, int channel, double freq, size_t from, size_t count)
{
    double re = 0, im = 0;
    for (size_t i = 0; i < count; ++i) {
        const double ph = 2.0 * std::numbers::pi * freq * static_cast<double>(i) / kRate;
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
