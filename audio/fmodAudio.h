// The playback engine: the sound system and two playback slots, 0 and 1, each
// with one stream and the channel that plays it. A title starts on the slot
// not in use while the other fades out. Runs on the UI thread only; fades move
// only when UpdateFades is called.
//
// Scales: volume 0..32768 (full); positions in seconds; fade times in whole
// seconds; -1 in the channel calls means "only ask".
#pragma once

#include <QString>

#include <cstdint>

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

// Whether the last PlayFile opened its title and started it on a channel.
bool LastPlayOpened();

// How a slot's volume is moving: not at all, rising to its target for a new
// title, or falling to 0 for the title a new one replaces.
enum class SlotFade { None, In, Out };
SlotFade SlotFading(int slot);
// Sets the volume a fade-in ends at; false (nothing changed) when the slot is
// not fading in. The volume a setter asks for during a crossfade belongs to
// the title that stays.
bool SetFadeInTarget(int slot, int32_t volume);
