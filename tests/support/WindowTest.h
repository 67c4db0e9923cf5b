// The fixture of window tests (ui/): PlatformTest plus the engine, rendering
// offline and closed after each test; and input sent as the window system
// delivers it.
#pragma once

#include "tests/support/EngineTest.h"
#include "tests/support/PlatformTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

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

inline void SendKey(QWidget* to, int key, const QString& text = {})
{
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &e);
}

// The left button: pressed, dragged or released at `at`.
inline void SendMouse(QWidget* to, QEvent::Type type, QPointF at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, to->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(to, &e);
}
