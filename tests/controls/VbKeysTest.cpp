#include "controls/VbKeys.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(VbKeys, KeyCodes)
{
    struct Case { int key; Qt::KeyboardModifiers mods; int code; };
    const Case cases[] = {
        {Qt::Key_Return, Qt::NoModifier, 13},
        {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_PageDown, Qt::NoModifier, 34},
        {Qt::Key_Up, Qt::NoModifier, 38},
        {Qt::Key_Down, Qt::ShiftModifier, 40},
        {Qt::Key_Delete, Qt::NoModifier, 46},
        {Qt::Key_A, Qt::ControlModifier, 65},
        {Qt::Key_7, Qt::NoModifier, 55},
        {Qt::Key_7, Qt::KeypadModifier, 103},
        {Qt::Key_Plus, Qt::KeypadModifier, 107},
        {Qt::Key_Exclam, Qt::ShiftModifier, 49},
        {Qt::Key_F12, Qt::NoModifier, 123},
        {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_Control, Qt::ControlModifier, 17},
        {Qt::Key_MediaTogglePlayPause, Qt::NoModifier, 179},
        {Qt::Key_unknown, Qt::NoModifier, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VbKeyCode(c.key, c.mods), c.code) << std::hex << c.key;
        const QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
        EXPECT_EQ(VbKeyCode(e), c.code);
    }
}

TEST(VbKeys, ShiftMaskAndButtons)
{
    EXPECT_EQ(VbShiftMask(Qt::NoModifier), 0);
    EXPECT_EQ(VbShiftMask(Qt::ShiftModifier), 1);
    EXPECT_EQ(VbShiftMask(Qt::ControlModifier), 2);
    EXPECT_EQ(VbShiftMask(Qt::AltModifier), 4);
    EXPECT_EQ(VbShiftMask(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier), 7);
    EXPECT_EQ(VbButton(Qt::LeftButton), 1);
    EXPECT_EQ(VbButton(Qt::RightButton), 2);
    EXPECT_EQ(VbButton(Qt::MiddleButton), 4);
    EXPECT_EQ(VbButton(Qt::BackButton), 0);
}
