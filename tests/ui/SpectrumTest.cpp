// The spectrum display over the offline backend, with the main window's
// foreground injected.
#include "ui/main/Spectrum.h"

#include "../sound/SoundTestUtil.h"
#include "WindowTestSupport.h"
#include "audio/EngineAccess.h"
#include "audio/fmodAudio.h"
#include "controls/SpectrumBox.h"
#include "core/Units.h"
#include "ui/dialogs/frmMiniPlayer.h"
#include "ui/main/OtherWindows.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>

using namespace soundtest;

namespace {

TEST(SpectrumPeaks, WeightsLiftTheTreble)
{
    const struct { int bin; double weight; } rows[] = {{0, 1.0}, {1, 4.78}, {100, 17.92}, {255, 20.73}};
    for (const auto& r : rows) EXPECT_NEAR(SpectrumPeaks::Weight(r.bin), r.weight, 0.005) << r.bin;
}

TEST(SpectrumPeaks, QuietBarsStaySmallUntilTheLoudPeakLeavesTheRing)
{
    SpectrumPeaks peaks;
    float bins[SpectrumPeaks::kBins + 1] = {};
    auto feed = [&](float level) {
        std::fill(std::begin(bins), std::end(bins), 0.0f);
        bins[1] = level;
        peaks.Feed(bins);
        return peaks.Heights(bins, 2);
    };
    for (int k = 0; k < 250; ++k) feed(1.0f);
    EXPECT_EQ(peaks.Ring()[100], 0.0f);
    EXPECT_EQ(feed(1.0f), (QVector<float>{1.0f, 0.0f}));
    for (int k = 1; k < 100; ++k) ASSERT_NEAR(feed(0.01f)[0], 0.01f, 1e-6) << k;
    EXPECT_EQ(feed(0.01f)[0], 1.0f);
    EXPECT_EQ(feed(0.0f), (QVector<float>{0.0f, 0.0f}));
}

class SpectrumDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAudioOutput(kOffline);
        ASSERT_TRUE(InitAudio());
        DisplayedSpectrumPeaks() = {};
        Settings.ShowMiniPlayer = Settings.SpectrumInMini = Settings.SpectrumInMain = SwitchOn;
        picture1.resize(TwipsToPixels(9615), TwipsToPixels(1095));
        AttachSpectrum(&picture1);
        SetSpectrumForegroundSource([this] { return inFront; });
        LoadMiniPlayer();
        frmMiniPlayer::Loaded()->show();
        PlayFile(QString::fromStdString(Tone(dir, "t.wav", FixtureFormat::Wav, 2.0, 1000.0)), 0, 1, 0, 0, 32768);
        UpdateFades();
        for (int k = 0; k < 4; ++k) Render(*AudioSystem(), kBlock);
    }
    void TearDown() override
    {
        UnloadMiniPlayer();
        SetSpectrumForegroundSource({});
        CloseAudio();
        SetAudioOutput({});
    }
    SpectrumBox* MainBox() { return picture1.findChild<SpectrumBox*>(); }
    SpectrumBox* MiniBox() { return frmMiniPlayer::Loaded()->findChild<SpectrumBox*>(QStringLiteral("Picture2")); }

    SavedGlobals saved;
    QTemporaryDir dir;
    QWidget picture1;
    bool inFront = true;
};

// The bar colour's run on the top row: where the tallest bar stands and how wide it is.
std::pair<int, int> TopRun(SpectrumBox* box, QColor color)
{
    const QImage img = box->grab().toImage();
    int first = -1, count = 0;
    for (int x = 0; x < img.width(); ++x)
        if (img.pixelColor(x, 0) == color) {
            if (first < 0) first = x;
            ++count;
        }
    return {first, count};
}

TEST_F(SpectrumDisplay, ToneAtOneKilohertzTopsBinTwentyOneInBothBoxes)
{
    DrawSpectrum();
    for (SpectrumBox* box : {MainBox(), MiniBox()}) {
        const QVector<float>& h = box->Heights();
        ASSERT_FALSE(h.isEmpty());
        const auto top = std::max_element(h.begin(), h.end());
        EXPECT_EQ(top - h.begin() + 1, 21);
        EXPECT_EQ(*top, 1.0f);
    }
    EXPECT_EQ(MainBox()->Heights().size(), 255);
    EXPECT_EQ(MiniBox()->Heights().size(), 100);
    EXPECT_EQ(MainBox()->geometry(), picture1.rect());

    // Bin 21 centred at 20.5 of 255 and of 100 bars across the box.
    const auto mainRun = TopRun(MainBox(), QColor(0x80, 0x80, 0xFF));
    EXPECT_EQ(mainRun.second, 3);
    EXPECT_NEAR(mainRun.first + 1, 20.5 * picture1.width() / 255.0, 1.0);
    const auto miniRun = TopRun(MiniBox(), QColor(0xC0, 0xC0, 0xFF));
    EXPECT_EQ(miniRun.second, 5);
    EXPECT_NEAR(miniRun.first + 2, 20.5 * MiniBox()->width() / 100.0, 1.0);
    EXPECT_EQ(MainBox()->grab().toImage().pixelColor(0, 0), QColor(0x50, 0x82, 0xBD));
}

TEST_F(SpectrumDisplay, SwitchesChooseBarsClearedOrUntouched)
{
    enum Shown { Bars, Cleared, Untouched };
    const struct {
        Switch showMini, inMini;
        bool miniVisible, front;
        Switch inMain;
        Shown mini, main;
    } rows[] = {
        {SwitchOn, SwitchOn, true, true, SwitchOn, Bars, Bars},
        {SwitchOn, 0, true, true, 0, Cleared, Cleared},
        {SwitchOn, SwitchOn, false, false, SwitchOn, Cleared, Cleared},
        {0, SwitchOn, true, true, SwitchOn, Untouched, Bars},
    };
    const QVector<float> preset{0.25f};
    auto check = [&](SpectrumBox* box, Shown shown, int row) {
        const QVector<float>& h = box->Heights();
        EXPECT_EQ(h.size() > 1, shown == Bars) << row;
        EXPECT_EQ(h.isEmpty(), shown == Cleared) << row;
        EXPECT_EQ(h == preset, shown == Untouched) << row;
    };
    for (const auto& r : rows) {
        Settings.ShowMiniPlayer = r.showMini;
        Settings.SpectrumInMini = r.inMini;
        Settings.SpectrumInMain = r.inMain;
        frmMiniPlayer::Loaded()->setVisible(r.miniVisible);
        inFront = r.front;
        MiniBox()->SetHeights(preset);
        MainBox()->SetHeights(preset);
        Render(*AudioSystem(), kBlock);
        DrawSpectrum();
        check(MiniBox(), r.mini, int(&r - rows));
        check(MainBox(), r.main, int(&r - rows));
    }

    UnloadMiniPlayer();  // the display never loads the strip
    Settings.ShowMiniPlayer = SwitchOn;
    DrawSpectrum();
    EXPECT_EQ(frmMiniPlayer::Loaded(), nullptr);

    CloseAudio();  // no system: nothing is touched
    MainBox()->SetHeights(preset);
    DrawSpectrum();
    EXPECT_EQ(MainBox()->Heights(), preset);
}

} // namespace
