// The sound steps of the start and exit procedures.
#include "app/Main.h"
#include "audio/fmodAudio.h"
#include "audio/modEqualizer.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "platform/TermSignal.h"
#include "sound/System.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

float BandGain(int band)
{
    float g = -1;
    AudioSystem()->GetUnitParameter(EqUnit(band), 2, &g);
    return g;
}

TEST(AudioSteps, StartOpensSoundAndRestoresBandsExitClosesIt)
{
    QTemporaryDir home;
    qputenv("SAROVIN_HOME", home.path().toUtf8());
    ResetProgramState();
    SettingsRecord r;
    r.StartCount = 2;
    r.CleanExit = -1;
    r.EqGains.fill(21.0f);
    r.EqGains[4] = 0.0f;
    Settings = r;
    ASSERT_TRUE(SaveSettings());
    Settings = SettingsRecord{};
    SetMessageBoxService([](const QString&, int, const QString&) { return int(MsgOk); });
    SetTerminateHook([](int) {});

    Main(QString());
    ASSERT_TRUE(AudioSystemExists());
    EXPECT_EQ(OutputChannelCount(), 2);
    EXPECT_EQ(BandGain(4), 3.0f);
    EXPECT_EQ(BandGain(5), 1.0f);  // at the default position: the unit's own flat gain

    ExitProgram();
    EXPECT_FALSE(AudioSystemExists());

    StopWatchingTermSignal();
    ResetProgramState();
    SetTerminateHook({});
    SetMessageBoxService({});
    qunsetenv("SAROVIN_HOME");
}

} // namespace
