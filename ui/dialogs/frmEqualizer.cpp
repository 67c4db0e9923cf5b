#include "ui/dialogs/frmEqualizer.h"

#include "audio/modEqualizer.h"
#include "core/Settings.h"
#include "core/Units.h"
#include "core/VbHelpers.h"
#include "ui/dialogs/ShowModeless.h"
#include "ui/main/OtherWindows.h"

#include <QLabel>
#include <QPointer>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>

namespace {

QPointer<frmEqualizer>& Instance()
{
    static QPointer<frmEqualizer> window;
    return window;
}

} // namespace

QString frmEqualizer::BandLabel(int band)
{
    const double f = VbInt(EqBandCentre(band));
    if (f > 1000) return NumberText(RoundHalfEven(f / 1000.0, 1)) + u'k';
    return NumberText(f);
}

frmEqualizer::frmEqualizer(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmEqualizer"));
    setWindowTitle(QStringLiteral("Grafik-Equalizer"));
    const double dpi = logicalDpiX();
    auto px = [dpi](double twips) { return TwipsToPixels(twips, dpi); };
    setFixedSize(px(9855), px(4200));

    for (int i = 0; i < kSliders; ++i) {
        const double left = 120 + 600 * i;
        QLabel* label = new QLabel(BandLabel(i), this);
        label->setObjectName(QStringLiteral("lblFrequenz%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(px(left), px(120), px(615), px(255));
        lblFrequenz[size_t(i)] = label;

        QSlider* slider = new QSlider(Qt::Vertical, this);
        slider->setObjectName(QStringLiteral("Slider1%1").arg(i));
        slider->setRange(0, 32);
        // Position 0, the loudest, on top; Up moves the knob up.
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setTickInterval(1);
        slider->setGeometry(px(left), px(360), px(675), px(3735));
        {
            // Opening sends no gain: the chain already holds what the positions say.
            const QSignalBlocker quiet(slider);
            slider->setValue(RoundToInt32(Settings.EqGains[size_t(i)]));
        }
        connect(slider, &QSlider::valueChanged, this, [this, i] { Slider1_Change(i); });
        Slider1[size_t(i)] = slider;
    }
}

void frmEqualizer::Slider1_Change(int band)
{
    const int v = Slider1[size_t(band)]->value();
    const double gain = EqSliderGain(v);
    float sent = float(gain);
    SetBandGain(band, sent);
    setWindowTitle(NumberText(20.0 * std::log10(gain)) + QStringLiteral(" dB = ") + NumberText(gain));
    Settings.EqGains[size_t(band)] = float(v);
}

void OpenEqualizer()
{
    QPointer<frmEqualizer>& window = Instance();
    if (!window) {
        window = new frmEqualizer(MainWindowOwner());
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    ShowModeless(window);
}

void UnloadEqualizer()
{
    delete Instance().data();
}
