#include "platform/MouseWheel.h"

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A list that moves five rows per call, as the main window's list does.
class FakeList : public QWidget, public WheelScroller {
public:
    void ScrollUp() override { TopRow += 5; }
    void ScrollDown() override { TopRow -= 5; }
    int TopRow = 100;
    int wheelEvents = 0;

protected:
    void wheelEvent(QWheelEvent*) override { ++wheelEvents; }
};

void Turn(QWidget& w, int delta, Qt::KeyboardModifiers mods)
{
    QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(&w, &e);
}

TEST(MouseWheel, WholeNotchesScrollFiveRows)
{
    const struct { QList<int> deltas; int rows; } rows[] = {
        {{120}, -5}, {{-120}, 5}, {{240}, -10}, {QList<int>(8, 15), -5}, {{90, 90}, -5}, {{60, -60}, 0},
        {{60, -60, -60}, 5}, {{-60, -60, 60, 60}, 0},
    };
    using Mods = Qt::KeyboardModifiers;
    for (Mods mods : {Mods(Qt::NoModifier), Mods(Qt::ControlModifier), Mods(Qt::ShiftModifier)}) {
        for (const auto& r : rows) {
            FakeList list;
            InstallWheelHook(&list, [&list](int n) { DispatchWheel(list, n); });
            for (int d : r.deltas) Turn(list, d, mods);
            EXPECT_EQ(list.TopRow - 100, r.rows) << r.deltas.size() << " " << mods;
            EXPECT_EQ(list.wheelEvents, r.deltas.size());  // the window still gets them
            RemoveWheelHook();
            Turn(list, 120, mods);
            EXPECT_EQ(list.TopRow - 100, r.rows);
        }
    }
    RemoveWheelHook();  // nothing installed
}

} // namespace
