#include "controls/VbKeys.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(VbKeys, KeyCodesShiftMaskAndButtons)
{
    struct Case { int key; Qt::KeyboardModifiers mods; int code; };
    const Case cases[] = {
        {Qt::Key_Return, Qt::NoModifier, 13},   {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Down, Qt::ShiftModifier, 40},  {Qt::Key_A, Qt::ControlModifier, 65},
        {Qt::Key_7, Qt::NoModifier, 55},        {Qt::Key_7, Qt::KeypadModifier, 103},
        {Qt::Key_Plus, Qt::KeypadModifier, 107}, {Qt::Key_Exclam, Qt::ShiftModifier, 49},
        {Qt::Key_F12, Qt::NoModifier, 123},     {Qt::Key_Control, Qt::ControlModifier, 17},
        {Qt::Key_Delete, Qt::NoModifier, 46},   {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_MediaTogglePlayPause, Qt::NoModifier, 179}, {Qt::Key_unknown, Qt::NoModifier, 0},
    };
    for (const Case& c : cases) {
        const QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
        EXPECT_EQ(VbKeyCode(e), c.code) << std::hex << c.key;
    }
    EXPECT_EQ(VbShiftMask(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier), 7);
    EXPECT_EQ(VbShiftMask(Qt::ControlModifier), 2);
    const int buttons[] = {VbButton(Qt::LeftButton), VbButton(Qt::RightButton), VbButton(Qt::MiddleButton),
                           VbButton(Qt::BackButton)};
    EXPECT_EQ(std::vector<int>(std::begin(buttons), std::end(buttons)), (std::vector<int>{1, 2, 4, 0}));
}
