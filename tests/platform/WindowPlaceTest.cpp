// Windows kept inside the screen's free area: moved, and made to fit when
// their size may change.
#include "platform/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A 1024 x 768 screen with a 28 pixel panel at the top.
TEST(WindowPlace, FittedShrinksToTheAreaMovedKeepsTheSize)
{
    const QRect area(0, 28, 1024, 740);
    const struct { QRect outer, fitted, moved; } rows[] = {
        {{30, 20, 1065, 642}, {0, 28, 1024, 642}, {0, 28, 1065, 642}},     // too wide: to the left edge
        {{-50, 500, 1200, 900}, {0, 28, 1024, 740}, {0, 28, 1200, 900}},   // too large both ways
        {{200, 100, 1024, 740}, {0, 28, 1024, 740}, {0, 28, 1024, 740}},   // just the area
        {{900, 700, 400, 300}, {624, 468, 400, 300}, {624, 468, 400, 300}},  // fits: only moved
        {{10, 40, 400, 300}, {10, 40, 400, 300}, {10, 40, 400, 300}},      // inside already
        {{2000, 40, 1100, 300}, {0, 40, 1024, 300}, {0, 40, 1100, 300}},   // beyond the right edge
    };
    for (const auto& r : rows) {
        EXPECT_EQ(FittedInside(r.outer, area), r.fitted) << r.outer.x() << "," << r.outer.y();
        EXPECT_EQ(MovedInside(r.outer, area), r.moved) << r.outer.x() << "," << r.outer.y();
    }
    // A second screen to the right; no area at all leaves the rectangle alone.
    EXPECT_EQ(FittedInside({1000, 0, 1500, 500}, {1024, 0, 1280, 1024}), QRect(1024, 0, 1280, 500));
    EXPECT_EQ(FittedInside({30, 20, 1065, 642}, QRect()), QRect(30, 20, 1065, 642));
}

// A window too large for the screen: shrunk when it may be resized, else only moved.
TEST(WindowPlace, OnlyAWindowOfFreeSizeShrinksToTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize large = area.size() + QSize(40, 30);
    QWidget free, fixed;
    free.resize(large);
    fixed.setFixedSize(large);
    for (QWidget* w : {&free, &fixed}) MoveInsideScreen(*w, QRect(area.topLeft() + QPoint(20, 10), large));
    EXPECT_EQ(free.geometry(), area);
    EXPECT_EQ(fixed.geometry(), QRect(area.topLeft(), large));
}

} // namespace
