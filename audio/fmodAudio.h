// The playback engine: the sound system and two playback slots, 0 and 1, each
// with one stream and the channel that plays it. A title starts on the slot
// not in use while the other fades out. Runs on the UI thread only; fades move
// only when UpdateFades is called.
//
// Scales: volume 0..32768 (full); positions in seconds; fade times in whole
// seconds; -1 in the channel calls means "only ask".
#pragma once

#include "sound/Output.h"
#include "sound/Result.h"

#include <QString>

#include <cstdint>

namespace snd {
class System;
}

bool InitAudio();
void PlayFile(const QString& file, int newSlot, int oldSlot, int32_t fadeIn, int32_t fadeOut, int32_t volume);
void UpdateFades();
void StopSound(int slot);
bool CloseAudio();

// Returns the volume in force (0 when the slot has no channel).
int32_t ChannelVolume(float volume, int slot);
// Returns the position in seconds, or -1 when the library refuses.
double ChannelPosition(double seconds, int slot);
// pause: 0 run, 1 pause, -1 ask; returns the state 0/1 (the argument if the query fails).
int ChannelPaused(int pause, int slot);
bool ChannelIsPlaying(int slot);

// Seconds as "mm:ss"; minutes are not limited to two digits. Negative or not a
// number gives "00:00".
QString FormatDuration(double seconds);
QString GetPositionText(int slot);

// For the spectrum display.
bool AudioSystemExists();
int OutputChannelCount();  // 0 without a working system
// 512 magnitudes of one output channel; false (and `out` untouched) on failure.
bool GetSpectrum(int outputChannel, float* out);

// The system itself, for the equalizer chain and for tests (nullptr when none).
snd::System* AudioSystem();
// The output InitAudio opens: the sound device unless a test asks for another.
void SetAudioOutput(const snd::OutputConfig& config);

// Slot state, read-only, for tests.
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
