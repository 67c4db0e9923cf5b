// The fixture of window tests (ui/): PlatformTest plus the engine, rendering
// offline and closed after each test.
#pragma once

#include "tests/support/EngineTest.h"
#include "tests/support/PlatformTest.h"

class WindowTest : public PlatformTest {
protected:
    ~WindowTest() override
    {
        // Windows first: they may still hold the engine's channels.
        CloseTopLevelWindows();
        CloseEngine();
    }
    void SetUp() override
    {
        PlatformTest::SetUp();
        CloseEngine();
        SetAudioOutput(kOfflineOutput);
    }
};
