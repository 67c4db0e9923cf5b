// The engine's inside, for the equalizer chain and for tests only. Windows
// reach sound through audio/fmodAudio.h and audio/modEqualizer.h and never
// include this.
#pragma once

#include "sound/Output.h"
#include "sound/Result.h"

#include <cstdint>

namespace snd {
class System;
}

// The system itself (nullptr when none).
snd::System* AudioSystem();
// The output InitAudio opens: the sound device unless a test asks for another.
void SetAudioOutput(const snd::OutputConfig& config);

// Slot state, read-only.
struct AudioSlot {
    snd::StreamHandle Sound = 0;
    snd::ChannelHandle Channel = 0;
    bool Fading = false;
    bool FadingOut = false;
    int32_t FadeFrom = 0;
    int32_t FadeTo = 0;
    int32_t FadeTime = 0;
    double FadeStart = 0.0;
};
const AudioSlot& AudioSlotState(int slot);

// An equalizer band's unit handle (0 when none).
snd::UnitHandle EqUnit(int band);
