#include "audio/modEqualizer.h"

#include "audio/EngineAccess.h"
#include "sound/System.h"

#include <cmath>

namespace {

snd::UnitHandle gEqDSP[kEqBands] = {};

constexpr double kSliderMax = 32.0;
constexpr float kDefaultPosition = 21.0f;

} // namespace

double EqBandCentre(int band)
{
    return 60.0 * std::pow(2.0, band / 1.8);
}

double EqSliderGain(double position)
{
    return (1.0 - position / kSliderMax) * 2.95 + 0.05;
}

void InitEqualizer()
{
    snd::System* sys = AudioSystem();
    for (int i = 0; i < kEqBands; ++i) {
        gEqDSP[i] = 0;
        if (!sys) continue;
        sys->CreateEqUnit(&gEqDSP[i]);
        // Band 16 lies above what the unit takes and keeps its initial centre.
        sys->SetUnitParameter(gEqDSP[i], 0, static_cast<float>(EqBandCentre(i)));
        sys->SetUnitParameter(gEqDSP[i], 1, 1.0f);
        sys->AddUnit(gEqDSP[i]);
    }
}

void SetBandGain(int band, float& gain)
{
    snd::System* sys = AudioSystem();
    if (!sys || band < 0 || band >= kEqBands) return;
    if (gain > 0) sys->SetUnitParameter(gEqDSP[band], 2, gain);
    float inForce = 0;
    if (sys->GetUnitParameter(gEqDSP[band], 2, &inForce) == snd::Result::Ok) gain = inForce;
}

void RemoveEqualizer()
{
    snd::System* sys = AudioSystem();
    if (!sys) return;
    for (snd::UnitHandle u : gEqDSP) sys->RemoveUnit(u);
}

void RestoreEqGains(std::span<const float> positions)
{
    for (int band = 0; band < 16 && band < static_cast<int>(positions.size()); ++band) {
        if (positions[band] == kDefaultPosition) continue;
        float gain = static_cast<float>(EqSliderGain(positions[band]));
        SetBandGain(band, gain);
    }
}

snd::UnitHandle EqUnit(int band)
{
    return band >= 0 && band < kEqBands ? gEqDSP[band] : 0;
}
