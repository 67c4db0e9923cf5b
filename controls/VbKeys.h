// Keyboard and mouse values in the form the program's events carry them:
// Windows virtual-key codes, the shift mask and the button numbers.
#pragma once

#include <Qt>

class QKeyEvent;

// Shift mask of key and mouse events: 1 Shift, 2 Ctrl, 4 Alt, added up.
enum VbShiftBits { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
// Button numbers of mouse events.
enum VbButtonBits { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

// Virtual-key code of a Qt key, 0 for a key that has none. With the keypad
// modifier, digits and operators give the keypad codes; Return and Enter are
// both 13. Punctuation follows the US layout of the key's unshifted character.
int VbKeyCode(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
int VbKeyCode(const QKeyEvent& event);

int VbShiftMask(Qt::KeyboardModifiers modifiers);
// The one button that changed in a press or release; 0 for other buttons.
int VbButton(Qt::MouseButton button);
