// The equalizer window over the real chain on the offline backend.
#include "ui/dialogs/frmEqualizer.h"

#include "../sound/SoundTestUtil.h"
#include "WindowTestSupport.h"
#include "audio/EngineAccess.h"
#include "audio/fmodAudio.h"
#include "audio/modEqualizer.h"
#include "ui/main/OtherWindows.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QSlider>
#include <gtest/gtest.h>

namespace {

float UnitGain(int band)
{
    float g = 0;
    EXPECT_EQ(AudioSystem()->GetUnitParameter(EqUnit(band), 2, &g), snd::Result::Ok);
    return g;
}

class EqualizerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAudioOutput(soundtest::kOffline);
        ASSERT_TRUE(InitAudio());
        InitEqualizer();
        Settings.EqGains.fill(21.0f);
        Settings.EqGains[16] = 7.5f;
    }
    void TearDown() override
    {
        UnloadEqualizer();
        QLocale::setDefault(locale);
        RemoveEqualizer();
        CloseAudio();
        SetAudioOutput({});
    }
    SavedGlobals saved;
    QLocale locale;
};

TEST_F(EqualizerTest, BandLabelsInTheUsersNumberFormat)
{
    const QStringList c{"60", "88", "129", "190", "279", "411", "604", "888",
                        "1.3k", "1.9k", "2.8k", "4.1k", "6.1k", "9k", "13.2k", "19.4k"};
    for (const QLocale::Language lang : {QLocale::C, QLocale::German}) {
        QLocale::setDefault(QLocale(lang));
        frmEqualizer eq;
        for (int i = 0; i < frmEqualizer::kSliders; ++i) {
            QString expected = c[i];
            if (lang == QLocale::German) expected.replace(u'.', u',');
            EXPECT_EQ(eq.findChild<QLabel*>(QStringLiteral("lblFrequenz%1").arg(i))->text(), expected) << i;
        }
    }
}

TEST_F(EqualizerTest, OpeningShowsStoredPositionsAndSendsNoGain)
{
    Settings.EqGains[0] = 16.0f;
    Settings.EqGains[1] = 16.5f;
    Settings.EqGains[2] = 17.5f;
    OpenEqualizer();
    OpenEqualizer();  // the second call raises the first window
    int windows = 0;
    frmEqualizer* eq = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* e = dynamic_cast<frmEqualizer*>(w)) ++windows, eq = e;
    ASSERT_EQ(windows, 1);
    EXPECT_EQ(eq->windowTitle(), QStringLiteral("Grafik-Equalizer"));
    EXPECT_EQ(eq->Slider(0)->value(), 16);
    EXPECT_EQ(eq->Slider(1)->value(), 16);
    EXPECT_EQ(eq->Slider(2)->value(), 18);
    for (int band = 0; band < kEqBands; ++band) EXPECT_EQ(UnitGain(band), 1.0f) << band;
}

TEST_F(EqualizerTest, MovedSliderSetsGainCaptionAndStoredPosition)
{
    QLocale::setDefault(QLocale(QLocale::German));
    frmEqualizer eq;
    eq.show();
    QSlider* s = eq.Slider(7);
    auto key = [s](Qt::Key k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(s, &press);
    };
    const struct { const char* action; int position; const char* caption; } rows[] = {
        {"Up", 20, nullptr},
        {"Home", 0, "9,54242509439325 dB = 3"},
        {"End", 32, "-26,0205999132796 dB = 0,05"},
        {"groove", 22, nullptr},
    };
    for (const auto& r : rows) {
        const QString action = QLatin1String(r.action);
        if (action == "Up") key(Qt::Key_Up);
        if (action == "Home") key(Qt::Key_Home);
        if (action == "End") key(Qt::Key_End);
        if (action == "groove") {  // a click on the groove above the knob pages up
            const QPointF at(s->width() / 2.0, 4);
            QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(s, &press);
            QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(s, &release);
        }
        ASSERT_EQ(s->value(), r.position) << r.action;
        EXPECT_EQ(UnitGain(7), float(EqSliderGain(r.position))) << r.action;
        EXPECT_EQ(Settings.EqGains[7], float(r.position)) << r.action;
        if (r.caption) {
            EXPECT_EQ(eq.windowTitle(), QString::fromUtf8(r.caption));
        }
        EXPECT_EQ(UnitGain(6), 1.0f);
    }
    EXPECT_EQ(Settings.EqGains[16], 7.5f);
}

} // namespace
