// The spectrum display over the offline backend, the main window's foreground injected.
#include "ui/main/Spectrum.h"

#include "tests/sound/SoundTestUtil.h"
#include "tests/support/WindowTest.h"
#include "controls/SpectrumBox.h"
#include "core/Settings.h"
#include "core/Units.h"
#include "ui/dialogs/frmMiniPlayer.h"
#include "ui/main/OtherWindows.h"

#include <QImage>
#include <QLabel>

using namespace soundtest;

namespace {

TEST(SpectrumPeaks, WeightsAndTheRingOfTheLast100Peaks)
{
    for (const auto& [bin, w] : {std::pair{0, 1.0}, {1, 4.78}, {100, 17.92}, {255, 20.73}})
        EXPECT_NEAR(SpectrumPeaks::Weight(bin), w, 0.005) << bin;
    SpectrumPeaks peaks;
    float bins[SpectrumPeaks::kBins + 1] = {};
    auto feed = [&](float level) {
        bins[1] = level;
        peaks.Feed(bins);
        return peaks.Heights(bins, 2);
    };
    for (int k = 0; k < 250; ++k) feed(1.0f);
    EXPECT_EQ(peaks.Ring()[100], 0.0f);
    EXPECT_EQ(feed(1.0f), (QVector<float>{1.0f, 0.0f}));
    for (int k = 1; k < 100; ++k) ASSERT_NEAR(feed(0.01f)[0], 0.01f, 1e-6) << k;  // loud peak still in the ring
    EXPECT_EQ(feed(0.01f)[0], 1.0f);
    EXPECT_EQ(feed(0.0f), (QVector<float>{0.0f, 0.0f}));
}

// A frame repaints only what changed, the label over the bars from its picture:
// the screen must end up as a fresh box showing the same.
TEST(SpectrumBox, FramesOfChangedBarsAddUpToTheWholePicture)
{
    struct Strip {
        QWidget picture;
        SpectrumBox* box = new SpectrumBox(&picture);
        QLabel* label = new QLabel(QStringLiteral("00:00"), &picture);
        Strip()
        {
            picture.resize(120, 40);
            label->setGeometry(0, 10, 50, 20);
            box->SetColors(Qt::darkBlue, Qt::cyan);
            box->SetBarWidth(3);
            box->FillParent();
            picture.show();
        }
        QImage Image() { return picture.grab().toImage(); }
    };
    QVector<float> before(40), after(40);
    for (int i = 0; i < 40; ++i) {  // falling bars on the left, rising and unchanged ones on the right
        before[i] = i < 20 ? 1.0f : 0.0f;
        after[i] = i < 20 ? 0.25f : i % 3 ? 0.5f : 0.0f;
    }
    Strip shown;
    shown.box->SetHeights(before);
    shown.box->ShowFrame();
    QImage screen = shown.Image();
    shown.box->SetHeights(after);
    shown.label->setText(QStringLiteral("00:01"));
    const QRegion frame = shown.box->ShowFrame() + shown.label->geometry();
    shown.picture.render(&screen, QPoint(), frame);
    Strip fresh;
    fresh.label->setText(QStringLiteral("00:01"));
    fresh.box->SetHeights(after);
    EXPECT_EQ(screen, fresh.Image());
}

class SpectrumDisplay : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
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
        Render(*AudioSystem(), 4 * kBlock);
    }
    void TearDown() override
    {
        UnloadMiniPlayer();
        SetSpectrumForegroundSource({});
    }
    SpectrumBox* Main() { return picture1.findChild<SpectrumBox*>(); }
    SpectrumBox* Mini() { return frmMiniPlayer::Loaded()->findChild<SpectrumBox*>("Picture2"); }

    QTemporaryDir dir;
    QWidget picture1;
    bool inFront = true;
};

TEST_F(SpectrumDisplay, ToneAtOneKilohertzTopsBinTwentyOneAndSwitchesChooseTheBoxes)
{
    DrawSpectrum();
    const struct { SpectrumBox* box; int bars, barWidth; QColor color; } boxes[] = {
        {Main(), 255, 3, QColor(0x80, 0x80, 0xFF)}, {Mini(), 100, 5, QColor(0xC0, 0xC0, 0xFF)}};
    for (const auto& b : boxes) {
        const QVector<float>& h = b.box->Heights();
        ASSERT_EQ(h.size(), b.bars);
        const auto top = std::max_element(h.begin(), h.end());
        EXPECT_EQ(std::pair(top - h.begin() + 1, *top), std::pair(qsizetype(21), 1.0f));
        // On the top row only the tallest bar: its width and place (bin 21 centred at 20.5 of the bars).
        const QImage img = b.box->grab().toImage();
        int first = -1, count = 0;
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixelColor(x, 0) != b.color) continue;
            first = first < 0 ? x : first;
            ++count;
        }
        EXPECT_EQ(count, b.barWidth);
        EXPECT_NEAR(first + b.barWidth / 2, 20.5 * img.width() / b.bars, 1.0);
        EXPECT_EQ(img.pixelColor(0, 0), QColor(0x50, 0x82, 0xBD));
    }
    EXPECT_EQ(Main()->geometry(), picture1.rect());

    // The switches choose bars, cleared boxes or boxes left untouched.
    enum Shown { Bars, Cleared, Untouched };
    const struct { Switch showMini, inMini; bool miniVisible, front; Switch inMain; Shown mini, main; } rows[] = {
        {SwitchOn, SwitchOn, true, true, SwitchOn, Bars, Bars},
        {SwitchOn, 0, true, true, 0, Cleared, Cleared},
        {SwitchOn, SwitchOn, false, false, SwitchOn, Cleared, Cleared},
        {0, SwitchOn, true, true, SwitchOn, Untouched, Bars},
    };
    const QVector<float> preset{0.25f};
    for (const auto& r : rows) {
        Settings.ShowMiniPlayer = r.showMini;
        Settings.SpectrumInMini = r.inMini;
        Settings.SpectrumInMain = r.inMain;
        frmMiniPlayer::Loaded()->setVisible(r.miniVisible);
        inFront = r.front;
        Mini()->SetHeights(preset);
        Main()->SetHeights(preset);
        Render(*AudioSystem(), kBlock);
        DrawSpectrum();
        for (const auto& [box, shown] : {std::pair{Mini(), r.mini}, {Main(), r.main}})
            EXPECT_EQ(box->Heights().size() > 1 ? Bars : box->Heights().isEmpty() ? Cleared : Untouched, shown)
                << int(&r - rows);
    }
    UnloadMiniPlayer();  // the display never loads the strip
    Settings.ShowMiniPlayer = SwitchOn;
    DrawSpectrum();
    EXPECT_EQ(frmMiniPlayer::Loaded(), nullptr);
    CloseAudio();  // no system: nothing is touched
    Main()->SetHeights(preset);
    DrawSpectrum();
    EXPECT_EQ(Main()->Heights(), preset);
}

} // namespace
