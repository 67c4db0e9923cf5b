// The graphic equalizer: one vertical slider per band 0..15 with its centre
// frequency above it. A moved slider sets its band's gain at once and stores
// its position in Settings.EqGains; the settings file is written elsewhere.
#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QSlider;

class frmEqualizer : public QWidget {
public:
    static constexpr int kSliders = 16;

    explicit frmEqualizer(QWidget* owner = nullptr);

    // "60", "1,3k": the band's centre, whole, in kHz above 1000 Hz.
    static QString BandLabel(int band);

    QSlider* Slider(int band) const { return Slider1[size_t(band)]; }

private:
    void Slider1_Change(int band);

    std::array<QSlider*, kSliders> Slider1{};
    std::array<QLabel*, kSliders> lblFrequenz{};
};
