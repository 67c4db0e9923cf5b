// The splash names each step of the start and is gone when the start ends.
#include "app/Main.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "core/UiServices.h"
#include "platform/TermSignal.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// The step text on screen: Label5 of the splash as each paint shows it.
class StepPaints : public QObject {
public:
    QStringList texts;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        frmSplash* s = SplashWindow();
        if (event->type() == QEvent::Paint && s && watched == s->Label5
            && (texts.isEmpty() || texts.last() != s->Label5->text()))
            texts << s->Label5->text();
        return false;
    }
};

// At the probe, the step on the splash; then events run until the splash's
// timer has made its copy.
class ProbeReader : public TagReader {
public:
    QString stepAtOpen;
    bool copyShown = false;
    TagReading Open(const QString&) override
    {
        frmSplash* s = SplashWindow();
        if (!s) return {};
        stepAtOpen = s->Label5->text();
        const QDeadlineTimer bound(10000);
        while (!s->SecondSplash() && !bound.hasExpired()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        copyShown = s->SecondSplash() && s->SecondSplash()->isVisible();
        return {};
    }
};

class SplashDuringStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("SAROVIN_HOME", home.path().toUtf8());
        ResetProgramState();
        Settings = SettingsRecord{};
        SetMessageBoxService([this](const QString&, int, const QString&) {
            const frmSplash* s = SplashWindow();
            stepAtMessage = s && s->isVisible() ? s->Label5->text() : QStringLiteral("(kein Splash)");
            if (endSessionAtMessage) EndSession();
            return int(MsgOk);
        });
        SetTerminateHook([](int) {});
        SetTagReader(&reader);
        qApp->installEventFilter(&paints);
    }
    void TearDown() override
    {
        qApp->removeEventFilter(&paints);
        ExitProgram();
        StopWatchingTermSignal();
        ResetProgramState();
        SetTagReader(nullptr);
        SetTerminateHook({});
        SetMessageBoxService({});
        qunsetenv("SAROVIN_HOME");
    }
    static bool SplashLeft()
    {
        const auto all = QApplication::allWidgets();
        return std::any_of(all.begin(), all.end(), [](QWidget* w) { return qobject_cast<frmSplash*>(w); });
    }

    QTemporaryDir home;
    ProbeReader reader;
    StepPaints paints;
    QString stepAtMessage;
    bool endSessionAtMessage = false;
};

TEST_F(SplashDuringStart, NamesEachStepAndGoesAtTheEnd)
{
    Main(QString());
    EXPECT_EQ(stepAtMessage, QStringLiteral("Einstellungen")); // the first start's greeting
    EXPECT_EQ(reader.stepAtOpen, QStringLiteral("Tag-Reader"));
    EXPECT_EQ(paints.texts, (QStringList{QString(), QStringLiteral("Einstellungen"), QStringLiteral("Bibliothek Audio"),
                                         QStringLiteral("Benutzeroberfläche"), QStringLiteral("Audio-Treiber"),
                                         QStringLiteral("Equalizer"), QStringLiteral("Tag-Reader")}));
    EXPECT_TRUE(reader.copyShown);
    EXPECT_FALSE(SplashLeft());
}

TEST_F(SplashDuringStart, SessionEndDuringTheStartLeavesNoSplash)
{
    endSessionAtMessage = true;
    Main(QString());
    EXPECT_EQ(stepAtMessage, QStringLiteral("Einstellungen"));
    EXPECT_FALSE(SplashLeft());
}

// After the start the stored volume is back and the wheel scrolls the list.
TEST_F(SplashDuringStart, VolumeAndWheelAreInPlaceAfterTheStart)
{
    Settings.StartCount = 1;
    Settings.CleanExit = SwitchOn;
    Settings.SavedVolume = 12345;
    ASSERT_TRUE(SaveSettings());
    Main(QString());
    frmMain* w = MainWindow();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->CurrentVolume(), 12345);
    Library.Files.resize(200);
    w->Command("AudioLibrary");
    QWheelEvent e({5, 5}, {5, 5}, {}, {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    EXPECT_EQ(w->QV_ListControl1->TopRow(), 5);
}

} // namespace
