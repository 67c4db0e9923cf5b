// The spectrum display: the weighted magnitudes of the output, scaled against
// the loudest peak of the last 100 entries, as bars in the main window's
// Picture1 and in the mini player's strip. DrawSpectrum (OtherWindows.h) runs
// every audio tick.
#pragma once

#include <QVector>

#include <array>
#include <functional>

class QWidget;

class SpectrumPeaks {
public:
    static constexpr int kBins = 512;      // what the engine hands out
    static constexpr int kWeighted = 256;  // bins the display uses
    static constexpr int kRing = 101;      // the last slot is never written

    // max(1, ln((i * 1000 / 255 + 1)^3)): the treble's small magnitudes are lifted.
    static double Weight(int bin);

    // Weights bins 0..255 in place and enters their peak (at least 0) into the ring.
    void Feed(float* bins);
    // The largest entry of the ring, at least 0.
    float Norm() const;
    // Bars of bins 1..count as fractions of the norm; 0 where a bin is not above 0.
    QVector<float> Heights(const float* weighted, int count) const;

    const std::array<float, kRing>& Ring() const { return ring_; }

private:
    std::array<float, kRing> ring_{};
    int pos_ = 0;
};

// The ring the display keeps for the life of the program.
SpectrumPeaks& DisplayedSpectrumPeaks();

// Puts the main window's bar box into its Picture1, under Picture1's other children.
void AttachSpectrum(QWidget* picture1);
// Whether the main window is in front; by default its isActiveWindow(). An
// empty function restores the default.
void SetSpectrumForegroundSource(std::function<bool()> source);
