// The equalizer chain: 17 parametric EQ units on the whole output of the
// audio system, one per band, band 0 the lowest. Built once after InitAudio,
// removed once before CloseAudio. UI thread only.
#pragma once

#include <span>

constexpr int kEqBands = 17;

void InitEqualizer();
// Sets the band's gain when it is above 0, then writes the gain in force back.
void SetBandGain(int band, float& gain);
void RemoveEqualizer();

// Centre of a band: 60 * 2^(band / 1.8) Hz (1.8 bands per octave from 60 Hz).
double EqBandCentre(int band);
// Gain of an equalizer slider position 0..32 (0 = top = loudest).
double EqSliderGain(double position);
// After InitEqualizer at start: each band 0..15 whose stored slider position
// is not the factory default 21 gets its gain back; the others stay flat.
void RestoreEqGains(std::span<const float> positions);

