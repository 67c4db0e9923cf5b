// ProgramTest for programs with widgets: every top-level window still alive
// when a test's own members are gone is deleted, so its timers and state end
// with the test. A window a global keeps must be held by a QPointer.
#pragma once

#include "tests/support/ProgramTest.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

inline void CloseTopLevelWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) windows.append(w);
    for (const QPointer<QWidget>& w : windows)
        if (w && !w->parent()) delete w.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class WidgetTest : public ProgramTest {
protected:
    ~WidgetTest() override { CloseTopLevelWindows(); }
};
