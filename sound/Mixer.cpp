// Threads and locks: see Mixer.h.
#include "sound/Mixer.h"

#include "sound/HandleTable.h"
#include "sound/Source.h"

#include <algorithm>
#include <cmath>

namespace snd {

Mixer::Mixer(int sampleRate, int maxChannels)
    : sampleRate_(sampleRate), voices_(static_cast<size_t>(std::clamp(maxChannels, 1, 4095)))
{
}

Mixer::Voice* Mixer::Find(ChannelHandle channel)
{
    if (channel == 0 || KindOf(channel) != HandleKind::Channel) return nullptr;
    const uint32_t i = IndexOf(channel);
    if (i >= voices_.size()) return nullptr;
    Voice& v = voices_[i];
    if (v.state != VoiceState::Playing || (v.handleGeneration & 0xFFFFu) != GenerationOf(channel)) return nullptr;
    return &v;
}

Result Mixer::Start(std::shared_ptr<Source> source, bool paused, ChannelHandle* channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (uint32_t i = 0; i < voices_.size(); ++i) {
        Voice& v = voices_[i];
        if (v.state != VoiceState::Free) continue;
        v.handleGeneration = (v.handleGeneration & 0xFFFFu) == 0xFFFFu ? 1 : v.handleGeneration + 1;
        v.state = VoiceState::Playing;
        v.source = std::move(source);
        v.generation = 0;
        v.volume = 1.0f;
        v.gain = 0.0f;  // the first block ramps in
        v.paused = paused;
        v.position = 0;
        *channel = MakeHandle(HandleKind::Channel, v.handleGeneration, i);
        return Result::Ok;
    }
    return Result::NoFreeChannel;
}

Result Mixer::Stop(ChannelHandle channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Voice* v = Find(channel);
    if (!v) return Result::InvalidHandle;
    v->state = VoiceState::Stopping;
    return Result::Ok;
}

void Mixer::StopSource(const Source* source)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (Voice& v : voices_)
        if (v.source.get() == source && v.state == VoiceState::Playing) v.state = VoiceState::Stopping;
}

Result Mixer::SetVolume(ChannelHandle channel, float volume)
{
    if (std::isnan(volume)) return Result::InvalidParam;
    std::lock_guard<std::mutex> lock(mutex_);
    Voice* v = Find(channel);
    if (!v) return Result::InvalidHandle;
    v->volume = std::clamp(volume, 0.0f, 1.0f);
    return Result::Ok;
}

Result Mixer::GetVolume(ChannelHandle channel, float* volume)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Voice* v = Find(channel);
    if (!v) return Result::InvalidHandle;
    *volume = v->volume;
    return Result::Ok;
}

Result Mixer::SetPosition(ChannelHandle channel, uint32_t ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Voice* v = Find(channel);
    if (!v) return Result::InvalidHandle;
    const int64_t frame = static_cast<int64_t>(ms) * sampleRate_ / 1000;
    v->generation = v->source->RequestSeek(frame);
    v->position = frame;
    return Result::Ok;
}

Result Mixer::GetPosition(ChannelHandle channel, uint32_t* ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Voice* v = Find(channel);
    if (!v) return Result::InvalidHandle;
    *ms = static_cast<uint32_t>(std::min<int64_t>(v->position * 1000 / sampleRate_, UINT32_MAX));
    return Result::Ok;
}

Result Mixer::SetPaused(ChannelHandle channel, bool paused)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Voice* v = Find(channel);
    if (!v) return Result::InvalidHandle;
    v->paused = paused;
    return Result::Ok;
}

Result Mixer::GetPaused(ChannelHandle channel, bool* paused)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Voice* v = Find(channel);
    if (!v) return Result::InvalidHandle;
    *paused = v->paused;
    return Result::Ok;
}

Result Mixer::IsPlaying(ChannelHandle channel, bool* playing)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Voice* v = Find(channel);
    *playing = v != nullptr;
    return v ? Result::Ok : Result::InvalidHandle;
}

void Mixer::AddUnit(ParametricEq* unit)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(chain_.begin(), chain_.end(), unit) == chain_.end()) chain_.push_back(unit);
}

void Mixer::RemoveUnit(ParametricEq* unit)
{
    std::lock_guard<std::mutex> lock(mutex_);
    chain_.erase(std::remove(chain_.begin(), chain_.end(), unit), chain_.end());
}

bool Mixer::HasUnit(const ParametricEq* unit)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::find(chain_.begin(), chain_.end(), unit) != chain_.end();
}

Result Mixer::SetUnitParameter(ParametricEq* unit, int index, float value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return unit->Set(index, value);
}

Result Mixer::GetUnitParameter(ParametricEq* unit, int index, float* value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return unit->Get(index, value);
}

void Mixer::CopySpectrum(int outputChannel, float* samples)
{
    std::lock_guard<std::mutex> lock(mutex_);
    spectrum_.CopyChannel(outputChannel, samples);
}

void Mixer::Reap(std::vector<std::shared_ptr<Source>>* out, bool all)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (Voice& v : voices_) {
        if (v.state == VoiceState::Finished || (all && v.state != VoiceState::Free)) {
            out->push_back(std::move(v.source));
            v.source.reset();
            v.state = VoiceState::Free;
        }
    }
}

void Mixer::Mix(float* out, int frames, bool waitForData)
{
    if (frames <= 0) return;
    std::fill(out, out + 2 * frames, 0.0f);
    std::lock_guard<std::mutex> lock(mutex_);
    for (Voice& v : voices_)
        if (v.state == VoiceState::Playing || v.state == VoiceState::Stopping) MixVoice(v, out, frames, waitForData);
    ParametricEq::ProcessChain(chain_, out, frames);
    spectrum_.Write(out, frames);
    // The device takes float samples in -1..1; only here is anything clipped.
    for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

void Mixer::MixVoice(Voice& v, float* out, int frames, bool waitForData)
{
    const bool stopping = v.state == VoiceState::Stopping;
    const float from = v.gain;
    const float to = stopping || v.paused ? 0.0f : v.volume;
    if (from == 0.0f && to == 0.0f) {
        if (stopping) {
            v.state = VoiceState::Finished;
            return;
        }
        if (v.paused) return;  // frozen: nothing is taken from the source
    }
    // The volume moves linearly across the block: no steps to hear.
    const float step = (to - from) / static_cast<float>(frames);
    int done = 0;
    // One look past a full block too, so a title whose last sample went out
    // in this block has ended when the block is done.
    for (;;) {
        const float* s = nullptr;
        int n = 0;
        const Source::State st = v.source->Peek(v.generation, &s, &n);
        if (st == Source::State::Ended) {
            v.state = VoiceState::Finished;
            break;
        }
        if (st == Source::State::Underrun) {
            if (waitForData) {
                v.source->WaitForData();
                continue;
            }
            break;  // the rest of the block stays silent; the place holds
        }
        if (done == frames) break;
        n = std::min(n, frames - done);
        float* o = out + 2 * done;
        if (step == 0.0f) {
            for (int i = 0; i < 2 * n; ++i) o[i] += from * s[i];
        } else {
            for (int i = 0; i < n; ++i) {
                const float g = from + step * static_cast<float>(done + i + 1);
                o[2 * i] += g * s[2 * i];
                o[2 * i + 1] += g * s[2 * i + 1];
            }
        }
        v.source->Consume(n);
        v.position += n;
        done += n;
    }
    // After an underrun the ramp goes on from where the sound stopped, so the
    // next block does not jump to the new volume.
    v.gain = done == frames ? to : from + step * static_cast<float>(done);
    if (stopping) v.state = VoiceState::Finished;
}

} // namespace snd
