#include "audio/fmodAudio.h"

#include "audio/EngineAccess.h"

#include "core/Clock.h"
#include "core/VbHelpers.h"
#include "sound/System.h"

#include <QFile>

#include <cmath>
#include <memory>

namespace {

constexpr int kChannels = 32;

std::unique_ptr<snd::System> gSystem;
snd::OutputConfig gOutput;
AudioSlot gSlots[2];
bool gLastPlayOpened = false;

bool ValidSlot(int slot)
{
    return slot == 0 || slot == 1;
}

// Stops and frees what the slot holds; its handles are 0 afterwards.
void FreeSlot(AudioSlot& s)
{
    if (s.Channel) gSystem->Stop(s.Channel);
    s.Channel = 0;
    gSystem->ReleaseStream(s.Sound);
    s.Sound = 0;
}

} // namespace

snd::System* AudioSystem()
{
    return gSystem.get();
}

void SetAudioOutput(const snd::OutputConfig& config)
{
    gOutput = config;
}

const AudioSlot& AudioSlotState(int slot)
{
    return gSlots[slot == 1 ? 1 : 0];
}

bool LastPlayOpened()
{
    return gLastPlayOpened;
}

SlotFade SlotFading(int slot)
{
    if (!ValidSlot(slot) || !gSlots[slot].Fading) return SlotFade::None;
    return gSlots[slot].FadingOut ? SlotFade::Out : SlotFade::In;
}

bool SetFadeInTarget(int slot, int32_t volume)
{
    if (SlotFading(slot) != SlotFade::In) return false;
    gSlots[slot].FadeTo = volume;
    return true;
}

bool InitAudio()
{
    if (gSystem) return false;
    gSystem = std::make_unique<snd::System>();
    // The version is asked for as a check that the library answers; its value is unused.
    if (gSystem->Version() == 0) return false;
    return gSystem->Init(kChannels, gOutput) == snd::Result::Ok;
}

void PlayFile(const QString& file, int newSlot, int oldSlot, int32_t fadeIn, int32_t fadeOut, int32_t volume)
{
    if (!gSystem || !ValidSlot(newSlot) || !ValidSlot(oldSlot)) return;
    AudioSlot& in = gSlots[newSlot];
    FreeSlot(in);
    gLastPlayOpened = false;
    if (gSystem->CreateStream(QFile::encodeName(file).toStdString(), &in.Sound) == snd::Result::Ok) {
        // Started paused and silent, so no block plays loud before the fade begins.
        if (gSystem->Play(in.Sound, true, &in.Channel) == snd::Result::Ok) {
            gSystem->SetVolume(in.Channel, 0.0f);
            gSystem->SetPaused(in.Channel, false);
            gLastPlayOpened = true;
        }
    }
    const int32_t v = ChannelVolume(-1, oldSlot);
    ChannelVolume(0, newSlot);
    const double now = MonotonicSeconds();

    AudioSlot& out = gSlots[oldSlot];
    out.Fading = true;
    out.FadingOut = true;
    out.FadeTo = 0;
    out.FadeTime = fadeOut;
    out.FadeStart = now;
    out.FadeFrom = v;

    in.Fading = true;
    in.FadingOut = false;
    in.FadeTo = volume;
    in.FadeTime = fadeIn;
    in.FadeStart = now;
    in.FadeFrom = 0;
}

void UpdateFades()
{
    for (int i = 0; i < 2; ++i) {
        AudioSlot& s = gSlots[i];
        if (!s.Fading) continue;
        double p = s.FadeTime > 0 ? (MonotonicSeconds() - s.FadeStart) / s.FadeTime : 1.0;
        if (!(p > 0.0)) p = 0.0;
        if (p > 1.0) p = 1.0;
        const double vol = s.FadeFrom + (s.FadeTo - s.FadeFrom) * p;
        ChannelVolume(static_cast<float>(vol), i);
        if (p >= 1.0) {
            // Only the slot a new title replaced is freed; a fade-in to 0 keeps its title.
            if (s.FadingOut && s.Sound && gSystem) FreeSlot(s);
            s.Fading = false;
            s.FadingOut = false;
        }
    }
}

void StopSound(int slot)
{
    if (!gSystem || !ValidSlot(slot)) return;
    AudioSlot& s = gSlots[slot];
    if (s.Sound) FreeSlot(s);
}

bool CloseAudio()
{
    if (gSystem) {
        if (gSlots[0].Sound) {
            if (gSystem->ReleaseStream(gSlots[0].Sound) != snd::Result::Ok) return false;
            gSlots[0].Sound = gSlots[0].Channel = 0;
        }
        if (gSlots[1].Sound) {
            gSystem->ReleaseStream(gSlots[1].Sound);
            gSlots[1].Sound = gSlots[1].Channel = 0;
        }
        if (gSystem->Close() != snd::Result::Ok) return false;
        gSystem.reset();
    }
    gSlots[0] = gSlots[1] = AudioSlot{};
    gLastPlayOpened = false;
    return true;
}

int32_t ChannelVolume(float volume, int slot)
{
    if (!gSystem || !ValidSlot(slot) || gSlots[slot].Channel == 0) return 0;
    const snd::ChannelHandle c = gSlots[slot].Channel;
    if (volume >= 0) gSystem->SetVolume(c, static_cast<float>(volume / 32768.0));
    float v = 0;
    if (gSystem->GetVolume(c, &v) != snd::Result::Ok) return 0;
    return RoundToInt32(v * 32768.0);
}

double ChannelPosition(double seconds, int slot)
{
    if (!gSystem || !ValidSlot(slot)) return -1;
    const snd::ChannelHandle c = gSlots[slot].Channel;
    const double ms = seconds * 1000.0;
    bool ok = true;
    if (ms >= 0) ok = gSystem->SetPosition(c, static_cast<uint32_t>(RoundToInt32(ms))) == snd::Result::Ok;
    uint32_t now = 0;
    if (gSystem->GetPosition(c, &now) != snd::Result::Ok || !ok) return -1;
    return now / 1000.0;
}

int ChannelPaused(int pause, int slot)
{
    if (!gSystem || !ValidSlot(slot)) return pause;
    const snd::ChannelHandle c = gSlots[slot].Channel;
    if (pause != -1) gSystem->SetPaused(c, pause != 0);
    bool paused = false;
    if (gSystem->GetPaused(c, &paused) != snd::Result::Ok) return pause;
    return paused ? 1 : 0;
}

bool ChannelIsPlaying(int slot)
{
    if (!gSystem || !ValidSlot(slot)) return false;
    bool playing = false;
    gSystem->IsPlaying(gSlots[slot].Channel, &playing);
    return playing;
}

QString FormatDuration(double seconds)
{
    if (!(seconds >= 0) || !std::isfinite(seconds)) return QStringLiteral("00:00");
    const double s = RoundHalfEven(seconds);
    const double m = VbInt(s / 60.0);
    const double r = s - 60.0 * m;
    return QStringLiteral("%1:%2")
        .arg(QString::number(m, 'f', 0), 2, QLatin1Char('0'))
        .arg(QString::number(r, 'f', 0), 2, QLatin1Char('0'));
}

QString GetPositionText(int slot)
{
    return FormatDuration(ChannelPosition(-1, slot));
}

bool AudioSystemExists()
{
    return gSystem != nullptr;
}

int OutputChannelCount()
{
    int channels = 0;
    if (!gSystem || gSystem->GetOutputFormat(nullptr, &channels) != snd::Result::Ok) return 0;
    return channels;
}

bool GetSpectrum(int outputChannel, float* out)
{
    return gSystem && gSystem->GetSpectrum(outputChannel, out) == snd::Result::Ok;
}
