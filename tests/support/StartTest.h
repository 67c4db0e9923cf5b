// WindowTest for the program's start and exit: the start's state forgotten
// before and after each test, and the process never ended: the exit codes it
// would end with are recorded instead.
#pragma once

#include "app/Main.h"
#include "core/PeriodicSave.h"
#include "platform/TermSignal.h"
#include "tests/support/WindowTest.h"

#include <QFile>

#include <array>
#include <vector>

#include <sys/stat.h>

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

    // What the periodic save's timer does; then the worker's end.
    static void Save()
    {
        CheckPeriodicSave();
        WaitForPeriodicWrite();
    }
    // Files.db, Playing.db, Settings.ini: a file written anew has a new inode.
    std::array<ino_t, 3> Inodes() const
    {
        std::array<ino_t, 3> ids{};
        const char* names[] = {"Files.db", "Playing.db", "Settings.ini"};
        for (int i = 0; i < 3; ++i) {
            struct stat st = {};
            if (::stat(QFile::encodeName(HomeFile(names[i])).constData(), &st) == 0) ids[i] = st.st_ino;
        }
        return ids;
    }

    std::vector<int> exitCodes;
    std::function<void()> onTerminate;
};
