// Threads and locks: see SdlOutput.h.
#include "sound/SdlOutput.h"

#include "sound/Mixer.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace snd {

namespace {

constexpr int kFallbackRate = 48000;

SDL_AudioDeviceID OpenDevice(int rate, void* self, void (*callback)(void*, Uint8*, int))
{
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(rate / 100);  // 10 ms: 441 at 44.1 kHz, 480 at 48 kHz
    want.callback = callback;
    want.userdata = self;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts, and the callback always sees this format.
    return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
}

int DefaultRate()
{
    SDL_AudioSpec spec{};
    char* name = nullptr;
    if (SDL_GetDefaultAudioInfo(&name, &spec, 0) != 0 || spec.freq < 8000 || spec.freq > 384000) {
        SDL_free(name);
        return kFallbackRate;
    }
    SDL_free(name);
    return spec.freq;
}

} // namespace

std::unique_ptr<SdlOutput> SdlOutput::Open(int sampleRate, Result* error)
{
    // Otherwise SDL installs its own handlers and swallows SIGTERM and Ctrl+C.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    std::unique_ptr<SdlOutput> out(new SdlOutput());
    out->quitSubsystem_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (out->quitSubsystem_) {
        out->sampleRate_ = sampleRate > 0 ? sampleRate : DefaultRate();
        out->device_ = OpenDevice(out->sampleRate_, out.get(), &SdlOutput::Callback);
    }
    if (out->device_ == 0) {
        const std::string why = SDL_GetError();
        SDL_AudioQuit();
        if (SDL_AudioInit("dummy") == 0) {
            out->quitAudio_ = !out->quitSubsystem_;
            out->sampleRate_ = sampleRate > 0 ? sampleRate : kFallbackRate;
            out->device_ = OpenDevice(out->sampleRate_, out.get(), &SdlOutput::Callback);
        }
        static std::atomic<bool> told{false};
        if (out->device_ != 0 && !told.exchange(true)) {
            std::fprintf(stderr, "Sarovin: no sound device (%s); playing silently in real time.\n", why.c_str());
        }
    }
    if (out->device_ == 0) {
        if (error) *error = Result::OutputFailed;
        return nullptr;  // the destructor undoes the SDL start
    }
    if (error) *error = Result::Ok;
    return out;
}

SdlOutput::~SdlOutput()
{
    Stop();
    if (quitAudio_) SDL_AudioQuit();
    if (quitSubsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlOutput::Start(Mixer* mixer)
{
    mixer_.store(mixer);
    SDL_PauseAudioDevice(device_, 0);
}

void SdlOutput::Stop()
{
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);  // waits for a running callback
        device_ = 0;
    }
    mixer_.store(nullptr);
}

void SdlOutput::Callback(void* self, Uint8* stream, int bytes)
{
    auto* out = static_cast<SdlOutput*>(self);
    float* samples = reinterpret_cast<float*>(stream);
    const int frames = bytes / static_cast<int>(2 * sizeof(float));
    Mixer* mixer = out->mixer_.load();
    if (mixer)
        mixer->Mix(samples, frames, false);
    else
        std::memset(stream, 0, static_cast<size_t>(bytes));
}

} // namespace snd
