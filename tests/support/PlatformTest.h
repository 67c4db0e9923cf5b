// WidgetTest for programs that link platform/: no modal answerer unless the
// test installs one.
#pragma once

#include "platform/ExecModal.h"
#include "tests/support/WidgetTest.h"

class PlatformTest : public WidgetTest {
protected:
    ~PlatformTest() override
    {
        CloseTopLevelWindows();
        SetModalAnswerer({});
    }
    void SetUp() override
    {
        WidgetTest::SetUp();
        SetModalAnswerer({});
    }
};
