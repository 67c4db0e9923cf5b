// ProgramTest for programs that link audio/: the engine renders offline and is
// closed, with its equalizer, after each test.
#pragma once

#include "audio/EngineAccess.h"
#include "audio/fmodAudio.h"
#include "audio/modEqualizer.h"
#include "tests/support/ProgramTest.h"

// Offline output of 48000 Hz in blocks of 10 ms.
inline const snd::OutputConfig kOfflineOutput{snd::OutputConfig::Kind::Offline, 48000, 480};

inline void CloseEngine()
{
    RemoveEqualizer();
    EXPECT_TRUE(CloseAudio());
    SetAudioOutput({});
}

class EngineTest : public ProgramTest {
protected:
    ~EngineTest() override { CloseEngine(); }
    void SetUp() override
    {
        ProgramTest::SetUp();
        CloseEngine();
        SetAudioOutput(kOfflineOutput);
    }
};
