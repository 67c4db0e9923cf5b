// Threads and locks: see System.h.
#include "sound/System.h"

#include "sound/Decoder.h"
#include "sound/Mixer.h"
#include "sound/ParametricEq.h"
#include "sound/Spectrum.h"
#include "sound/Stream.h"

extern "C" {
#include <libavutil/log.h>
}

namespace snd {

const char* ResultText(Result r)
{
    switch (r) {
    case Result::Ok: return "ok";
    case Result::InvalidHandle: return "invalid handle";
    case Result::InvalidParam: return "invalid parameter";
    case Result::NotInitialized: return "not initialised";
    case Result::AlreadyInitialized: return "already initialised";
    case Result::FileNotFound: return "file not found";
    case Result::FileUnreadable: return "not a readable audio file";
    case Result::OutputFailed: return "no output device";
    case Result::NoFreeChannel: return "no free channel";
    case Result::StreamBusy: return "stream already played";
    case Result::NotOffline: return "not the offline backend";
    }
    return "?";
}

System::System() = default;

System::~System()
{
    Close();
}

Result System::Init(int maxChannels, const OutputConfig& config)
{
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (mixer_) return Result::AlreadyInitialized;
    if (maxChannels <= 0) return Result::InvalidParam;
    // A damaged file is handled quietly; FFmpeg need not say so on stderr.
    av_log_set_level(AV_LOG_FATAL);
    Result r = Result::Ok;
    std::unique_ptr<Output> output = OpenOutput(config, &r);
    if (!output) return r;
    output_ = std::move(output);
    mixer_ = std::make_unique<Mixer>(output_->SampleRate(), maxChannels);
    analyser_ = std::make_unique<SpectrumAnalyser>();
    output_->Start(mixer_.get());
    return Result::Ok;
}

Result System::Close()
{
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::Ok;
    output_->Stop();
    std::vector<std::shared_ptr<Source>> dead;
    mixer_->Reap(&dead, true);
    for (StreamEntry& e : streams_.TakeAll()) dead.push_back(std::move(e.stream));
    dead.clear();  // joins the workers
    units_.TakeAll();
    mixer_.reset();
    analyser_.reset();
    output_.reset();
    return Result::Ok;
}

void System::ReapLocked()
{
    std::vector<std::shared_ptr<Source>> dead;
    mixer_->Reap(&dead);
    // `dead` goes out of scope here, outside the mixer's lock.
}

Result System::GetOutputFormat(int* sampleRate, int* channels)
{
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    if (sampleRate) *sampleRate = mixer_->SampleRate();
    if (channels) *channels = 2;
    return Result::Ok;
}

Result System::CreateStream(const std::string& path, StreamHandle* stream)
{
    if (!stream) return Result::InvalidParam;
    *stream = 0;
    int rate;
    {
        std::lock_guard<std::mutex> lock(apiMutex_);
        if (!mixer_) return Result::NotInitialized;
        rate = mixer_->SampleRate();
    }
    // The header is read without the lock: other calls go on meanwhile.
    Result r = Result::Ok;
    std::unique_ptr<Decoder> decoder = Decoder::Open(path, rate, &r);
    if (!decoder) return r;
    auto s = std::make_shared<Stream>(std::move(decoder));
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_ || mixer_->SampleRate() != rate) return Result::NotInitialized;
    *stream = streams_.Add(StreamEntry{std::move(s), false});
    return *stream ? Result::Ok : Result::NoFreeChannel;
}

Result System::ReleaseStream(StreamHandle stream)
{
    std::shared_ptr<Stream> s;
    std::lock_guard<std::mutex> lock(apiMutex_);
    std::optional<StreamEntry> e = streams_.Remove(stream);
    if (!e) return Result::InvalidHandle;
    s = std::move(e->stream);
    if (mixer_) mixer_->StopSource(s.get());
    ReapLocked();
    return Result::Ok;  // `s` is freed here unless its channel still ramps out
}

Result System::Play(StreamHandle stream, bool paused, ChannelHandle* channel)
{
    if (!channel) return Result::InvalidParam;
    *channel = 0;
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    StreamEntry* e = streams_.Find(stream);
    if (!e) return Result::InvalidHandle;
    if (e->played) return Result::StreamBusy;
    ReapLocked();
    const Result r = mixer_->Start(e->stream, paused, channel);
    if (r == Result::Ok) e->played = true;
    return r;
}

template <class F>
Result System::WithMixer(F&& f)
{
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    return f(*mixer_);
}

Result System::Stop(ChannelHandle channel)
{
    return WithMixer([&](Mixer& m) { return m.Stop(channel); });
}

Result System::SetVolume(ChannelHandle channel, float volume)
{
    return WithMixer([&](Mixer& m) { return m.SetVolume(channel, volume); });
}

Result System::SetPosition(ChannelHandle channel, uint32_t ms)
{
    return WithMixer([&](Mixer& m) { return m.SetPosition(channel, ms); });
}

Result System::SetPaused(ChannelHandle channel, bool paused)
{
    return WithMixer([&](Mixer& m) { return m.SetPaused(channel, paused); });
}

Result System::GetVolume(ChannelHandle channel, float* volume)
{
    if (!volume) return Result::InvalidParam;
    return WithMixer([&](Mixer& m) { return m.GetVolume(channel, volume); });
}

Result System::GetPosition(ChannelHandle channel, uint32_t* ms)
{
    if (!ms) return Result::InvalidParam;
    return WithMixer([&](Mixer& m) { return m.GetPosition(channel, ms); });
}

Result System::GetPaused(ChannelHandle channel, bool* paused)
{
    if (!paused) return Result::InvalidParam;
    return WithMixer([&](Mixer& m) { return m.GetPaused(channel, paused); });
}

Result System::IsPlaying(ChannelHandle channel, bool* playing)
{
    if (!playing) return Result::InvalidParam;
    *playing = false;
    return WithMixer([&](Mixer& m) { return m.IsPlaying(channel, playing); });
}

Result System::CreateEqUnit(UnitHandle* unit)
{
    if (!unit) return Result::InvalidParam;
    *unit = 0;
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    *unit = units_.Add(std::make_unique<ParametricEq>(mixer_->SampleRate()));
    return *unit ? Result::Ok : Result::NoFreeChannel;
}

Result System::AddUnit(UnitHandle unit)
{
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    auto* u = units_.Find(unit);
    if (!u) return Result::InvalidHandle;
    mixer_->AddUnit(u->get());
    return Result::Ok;
}

Result System::RemoveUnit(UnitHandle unit)
{
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    auto* u = units_.Find(unit);
    if (!u) return Result::InvalidHandle;
    mixer_->RemoveUnit(u->get());
    return Result::Ok;
}

Result System::SetUnitParameter(UnitHandle unit, int index, float value)
{
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    auto* u = units_.Find(unit);
    if (!u) return Result::InvalidHandle;
    return mixer_->SetUnitParameter(u->get(), index, value);
}

Result System::GetUnitParameter(UnitHandle unit, int index, float* value)
{
    if (!value) return Result::InvalidParam;
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    auto* u = units_.Find(unit);
    if (!u) return Result::InvalidHandle;
    return mixer_->GetUnitParameter(u->get(), index, value);
}

Result System::GetSpectrum(int outputChannel, float* magnitudes)
{
    if (!magnitudes) return Result::InvalidParam;
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    if (outputChannel < 0 || outputChannel >= 2) return Result::InvalidParam;
    float samples[SpectrumCapture::kSize];
    mixer_->CopySpectrum(outputChannel, samples);
    analyser_->Analyse(samples, magnitudes);
    return Result::Ok;
}

Result System::Render(float* interleaved, int frames)
{
    std::lock_guard<std::mutex> lock(apiMutex_);
    if (!mixer_) return Result::NotInitialized;
    const Result r = output_->Render(interleaved, frames);
    ReapLocked();
    return r;
}

} // namespace snd
