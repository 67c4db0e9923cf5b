#include "ui/main/Spectrum.h"

#include "audio/fmodAudio.h"
#include "controls/SpectrumBox.h"
#include "controls/WinColor.h"
#include "core/Settings.h"
#include "ui/dialogs/frmMiniPlayer.h"
#include "ui/main/OtherWindows.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMainBars = 255;
constexpr int kMainBarWidth = 3;
constexpr uint32_t kMainBarColor = 0xFF8080;
constexpr uint32_t kBoxBack = 0xBD8250;

const std::array<double, SpectrumPeaks::kWeighted>& Weights()
{
    static const auto weights = [] {
        std::array<double, SpectrumPeaks::kWeighted> w{};
        for (int i = 0; i < SpectrumPeaks::kWeighted; ++i) w[size_t(i)] = std::max(1.0, 3.0 * std::log(i * 1000.0 / 255.0 + 1.0));
        return w;
    }();
    return weights;
}

QPointer<SpectrumBox>& MainBox()
{
    static QPointer<SpectrumBox> box;
    return box;
}

std::function<bool()>& ForegroundSource()
{
    static std::function<bool()> source;
    return source;
}

bool MainWindowInFront()
{
    if (ForegroundSource()) return ForegroundSource()();
    const SpectrumBox* box = MainBox();
    return box && box->window()->isActiveWindow();
}

} // namespace

double SpectrumPeaks::Weight(int bin)
{
    return Weights()[size_t(bin)];
}

void SpectrumPeaks::Feed(float* bins)
{
    const auto& w = Weights();
    float peak = 0;
    for (int i = 0; i < kWeighted; ++i) {
        bins[i] = float(double(bins[i]) * w[size_t(i)]);
        peak = std::max(peak, bins[i]);
    }
    ring_[size_t(pos_)] = peak;
    pos_ = (pos_ + 1) % (kRing - 1);
}

float SpectrumPeaks::Norm() const
{
    return std::max(0.0f, *std::max_element(ring_.begin(), ring_.end()));
}

QVector<float> SpectrumPeaks::Heights(const float* weighted, int count) const
{
    const float norm = Norm();
    QVector<float> heights(count, 0.0f);
    for (int i = 1; i <= count; ++i)
        if (weighted[i] > 0) heights[i - 1] = weighted[i] / norm;
    return heights;
}

SpectrumPeaks& DisplayedSpectrumPeaks()
{
    static SpectrumPeaks peaks;
    return peaks;
}

void AttachSpectrum(QWidget* picture1)
{
    delete MainBox().data();
    auto* box = new SpectrumBox(picture1);
    box->setObjectName(QStringLiteral("SpectrumBox"));
    box->SetColors(WinColorToQColor(kBoxBack), WinColorToQColor(kMainBarColor));
    box->SetBarWidth(kMainBarWidth);
    box->FillParent();
    box->show();
    MainBox() = box;
}

void SetSpectrumForegroundSource(std::function<bool()> source)
{
    ForegroundSource() = std::move(source);
}

void DrawSpectrum()
{
    if (!AudioSystemExists()) return;
    const int channels = OutputChannelCount();
    if (channels <= 0) return;
    SpectrumPeaks& peaks = DisplayedSpectrumPeaks();
    // Every channel feeds the ring; the bars show the last one.
    float bins[SpectrumPeaks::kBins + 1];
    for (int ch = 0; ch < channels; ++ch) {
        std::fill(std::begin(bins), std::end(bins), 0.0f);
        GetSpectrum(ch, bins);
        peaks.Feed(bins);
    }

    if (IsOn(Settings.ShowMiniPlayer)) {
        if (frmMiniPlayer* mini = frmMiniPlayer::Loaded()) {
            if (mini->isVisible() && IsOn(Settings.SpectrumInMini))
                mini->ShowSpectrum(peaks.Heights(bins, frmMiniPlayer::kSpectrumBars));
            else
                mini->ClearSpectrum();
        }
    }
    if (SpectrumBox* box = MainBox()) {
        if (MainWindowInFront() && IsOn(Settings.SpectrumInMain))
            box->SetHeights(peaks.Heights(bins, kMainBars));
        else
            box->Clear();
    }
}
