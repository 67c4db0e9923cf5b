// WindowTest for the program's start and exit: the start's state forgotten
// before and after each test, and the process never ended: the exit codes it
// would end with are recorded instead.
#pragma once

#include "app/Main.h"
#include "platform/TermSignal.h"
#include "tests/support/WindowTest.h"

#include <vector>

class StartTest : public WindowTest {
protected:
    ~StartTest() override
    {
        // Windows first, while an exit they cause is still only recorded.
        CloseTopLevelWindows();
        StopWatchingTermSignal();
        ResetProgramState();
        SetTerminateHook({});
    }
    void SetUp() override
    {
        WindowTest::SetUp();
        ResetProgramState();
        SetTerminateHook([this](int code) {
            exitCodes.push_back(code);
            if (onTerminate) onTerminate();
        });
    }

    std::vector<int> exitCodes;
    std::function<void()> onTerminate;
};
