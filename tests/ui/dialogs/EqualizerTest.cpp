// The equalizer window over the real chain on the offline backend.
#include "ui/dialogs/frmEqualizer.h"

#include "core/Settings.h"
#include "sound/System.h"
#include "tests/support/WindowTest.h"
#include "ui/main/OtherWindows.h"

#include <QLocale>
#include <QSlider>

namespace {

float UnitGain(int band)
{
    float g = 0;
    AudioSystem()->GetUnitParameter(EqUnit(band), 2, &g);
    return g;
}

class EqualizerTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(InitAudio());
        InitEqualizer();
        Settings.EqGains.fill(21.0f);
        Settings.EqGains[16] = 7.5f;
    }
    void TearDown() override
    {
        UnloadEqualizer();
        QLocale::setDefault(locale);
    }
    QLocale locale;
};

// Opening shows the stored positions and sends no gain; a moved slider sets
// its band's gain, the caption and its stored position, nothing else.
TEST_F(EqualizerTest, OpeningSendsNoGainAndAMovedSliderSetsGainCaptionAndPosition)
{
    QLocale::setDefault(QLocale(QLocale::German));
    Settings.EqGains[0] = 16.0f;
    Settings.EqGains[1] = 16.5f;
    Settings.EqGains[2] = 17.5f;
    OpenEqualizer();
    OpenEqualizer();  // the second call raises the first window
    QWidgetList windows = QApplication::topLevelWidgets();
    windows.removeIf([](QWidget* w) { return !dynamic_cast<frmEqualizer*>(w); });
    ASSERT_EQ(windows.size(), 1);
    frmEqualizer& eq = *static_cast<frmEqualizer*>(windows[0]);
    for (const auto& [band, position] : {std::pair{0, 16}, {1, 16}, {2, 18}, {3, 21}})
        EXPECT_EQ(eq.Slider(band)->value(), position) << band;
    for (int band = 0; band < kEqBands; ++band) EXPECT_EQ(UnitGain(band), 1.0f) << band;

    QSlider* s = eq.Slider(7);
    // Up from 21, top, bottom, then a click above the knob: one page up.
    const struct { Qt::Key key; int position; QString caption; } rows[] = {
        {Qt::Key_Up, 20, ""}, {Qt::Key_Home, 0, "9,54242509439325 dB = 3"},
        {Qt::Key_End, 32, "-26,0205999132796 dB = 0,05"}, {Qt::Key_unknown, 22, ""},
    };
    for (const auto& r : rows) {
        if (r.key != Qt::Key_unknown) SendKey(s, r.key);
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            if (r.key == Qt::Key_unknown) SendMouse(s, t, QPointF(s->width() / 2.0, 4));
        ASSERT_EQ(s->value(), r.position) << r.key;
        EXPECT_EQ(UnitGain(7), float(EqSliderGain(r.position))) << r.key;
        EXPECT_EQ(Settings.EqGains[7], float(r.position)) << r.key;
        EXPECT_TRUE(r.caption.isEmpty() || eq.windowTitle() == r.caption) << eq.windowTitle().toStdString();
    }
    EXPECT_EQ(UnitGain(6), 1.0f);
    EXPECT_EQ(Settings.EqGains[16], 7.5f);
}

} // namespace
