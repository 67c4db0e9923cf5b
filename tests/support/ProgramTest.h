// The fixture of every test that touches the program's globals. Each test
// starts from the same state and leaves it behind it: Library and Settings as
// in a fresh process (no record, not even the placeholder), a fresh data
// folder, no dialog services but a recording message box, the real clocks,
// the random generator at its first seed, no tag reader, no write check, no
// session end. Listeners still subscribed to a hook when the test ends fail
// it: a window that closes must stop listening.
//
// A test that overrides SetUp calls its base's SetUp first. The state is put
// back in the destructors, after the test's own members are gone (a window or
// subscription kept in a member ends before the check).
//
// Derived fixtures add what their test program links: EngineTest (audio/),
// WidgetTest (widgets), PlatformTest (platform/), WindowTest (ui/), StartTest
// (app/).
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>

class ProgramTest : public ::testing::Test {
protected:
    ~ProgramTest() override;
    void SetUp() override;

    // A file in the test's data folder (SAROVIN_HOME).
    QString HomeFile(const QString& name) const { return home.filePath(name); }

    QTemporaryDir home;
    // Every message box shown, as "style|caption|text".
    QStringList shown;
    // Called after a box is recorded; its answer is messageAnswer.
    std::function<void()> onMessage;
    int messageAnswer = 1; // OK

private:
    void ResetGlobals();

    QByteArray savedHome_;
    bool hadHome_ = false;
    std::size_t captionListeners_ = 0;
    std::size_t replacedListeners_ = 0;
};
