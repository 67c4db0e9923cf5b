// Decoding and rendering speed of the sound library, against bare FFmpeg.
//
//   bench/run SoundBench
//
// One 10-minute 44.1 kHz stereo MP3 tone is made at start by the fixture generator. Figures are "x real
// time": seconds of sound processed per second of wall time.
//   Floor:  FFmpeg decode + swresample to interleaved float, nothing else.
//   Render: our offline render of the same file through one channel, the 17
//           equalizer units (bands 0..15 at non-unity gain) and the spectrum
//           capture (the transform itself runs when the UI asks, on its thread).
//   Eq:     the 16 active bands alone over 1024-frame blocks; /1: one band's
//           gain changes before every block (a slider being dragged).
#include "sound/ParametricEq.h"
#include "sound/System.h"
#include "tests/support/AudioFixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 600;
constexpr int kBlock = 1024;

void Check(int r, const char* what)
{
    if (r < 0) throw std::runtime_error(what);
}

const std::string& Mp3()
{
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() / "sarovin-bench-10min.mp3").string();
        if (!MakeToneFile(QString::fromStdString(p), FixtureFormat::Mp3, kSeconds, 440.0, kRate, 2))
            throw std::runtime_error("cannot make the MP3");
        return p;
    }();
    return path;
}

void SetRate(benchmark::State& state, int64_t frames)
{
    state.counters["x_realtime"] = benchmark::Counter(double(frames) / kRate, benchmark::Counter::kIsRate);
}

// (a) The floor: FFmpeg alone.
void Floor(benchmark::State& state)
{
    const std::string& path = Mp3();
    int64_t frames = 0;
    std::vector<float> out(2 * 8192);
    for (auto _ : state) {
        AVFormatContext* fmt = nullptr;
        Check(avformat_open_input(&fmt, path.c_str(), nullptr, nullptr), "open");
        avformat_find_stream_info(fmt, nullptr);
        const AVCodec* codec = nullptr;
        const int idx = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        AVCodecContext* c = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(c, fmt->streams[idx]->codecpar);
        Check(avcodec_open2(c, codec, nullptr), "codec");
        SwrContext* swr = nullptr;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLT, kRate, &c->ch_layout, c->sample_fmt, c->sample_rate, 0,
                            nullptr);
        swr_init(swr);
        AVPacket* pkt = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        auto receive = [&] {
            while (avcodec_receive_frame(c, frame) == 0) {
                uint8_t* dst = reinterpret_cast<uint8_t*>(out.data());
                frames += swr_convert(swr, &dst, 8192, const_cast<const uint8_t**>(frame->extended_data),
                                      frame->nb_samples);
                av_frame_unref(frame);
            }
        };
        while (av_read_frame(fmt, pkt) >= 0) {
            if (pkt->stream_index == idx) avcodec_send_packet(c, pkt);
            av_packet_unref(pkt);
            receive();
        }
        avcodec_send_packet(c, nullptr);
        receive();
        benchmark::DoNotOptimize(out.data());
        av_frame_free(&frame);
        av_packet_free(&pkt);
        swr_free(&swr);
        avcodec_free_context(&c);
        avformat_close_input(&fmt);
    }
    SetRate(state, frames);
}

// (b) Ours: offline render through one channel, the equalizer and the spectrum capture.
void Render(benchmark::State& state)
{
    const std::string& path = Mp3();
    int64_t frames = 0;
    std::vector<float> out(2 * kBlock);
    float magnitudes[snd::System::kSpectrumBins];
    for (auto _ : state) {
        snd::System sys;
        sys.Init(32, {snd::OutputConfig::Kind::Offline, kRate, kBlock});
        for (int band = 0; band < 17; ++band) {
            snd::UnitHandle u = 0;
            sys.CreateEqUnit(&u);
            sys.SetUnitParameter(u, 0, static_cast<float>(60.0 * std::pow(2.0, band / 1.8)));
            sys.SetUnitParameter(u, 1, 1.0f);
            if (band < 16) sys.SetUnitParameter(u, 2, band % 2 ? 0.7f : 1.4f);
            sys.AddUnit(u);
        }
        snd::StreamHandle s = 0;
        snd::ChannelHandle ch = 0;
        Check(sys.CreateStream(path, &s) == snd::Result::Ok ? 0 : -1, "stream");
        sys.Play(s, false, &ch);
        bool playing = true;
        while (playing) {
            sys.Render(out.data(), kBlock);
            frames += kBlock;
            sys.IsPlaying(ch, &playing);
        }
        sys.GetSpectrum(0, magnitudes);
        benchmark::DoNotOptimize(magnitudes);
    }
    SetRate(state, frames);
}

// (c) The 16 active bands alone.
void Eq(benchmark::State& state)
{
    std::vector<std::unique_ptr<snd::ParametricEq>> units;
    std::vector<snd::ParametricEq*> chain;
    for (int band = 0; band < 17; ++band) {
        units.push_back(std::make_unique<snd::ParametricEq>(kRate));
        units.back()->Set(0, static_cast<float>(60.0 * std::pow(2.0, band / 1.8)));
        if (band < 16) units.back()->Set(2, band % 2 ? 0.7f : 1.4f);
        chain.push_back(units.back().get());
    }
    std::mt19937 rng(2);
    std::uniform_real_distribution<float> d(-0.3f, 0.3f);
    std::vector<float> block(2 * kBlock);
    for (float& x : block) x = d(rng);
    const bool moving = state.range(0) != 0;
    int64_t frames = 0;
    int tick = 0;
    for (auto _ : state) {
        if (moving) {
            ++tick;
            units[size_t(tick % 16)]->Set(2, tick % 3 ? 2.5f : 0.3f);
        }
        snd::ParametricEq::ProcessChain(chain, block.data(), kBlock);
        benchmark::DoNotOptimize(block.data());
        frames += kBlock;
    }
    SetRate(state, frames);
}

BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(Render)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(Eq)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
