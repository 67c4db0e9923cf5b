#include "platform/KeyState.h"

#include <QGuiApplication>
#include <algorithm>
#include <iterator>

// Xlib's headers define macros (None, Bool, Status) that clash with Qt's; they
// come after every Qt header.
#include <X11/XF86keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

std::function<std::vector<int>()>& Source()
{
    static std::function<std::vector<int>()> source;
    return source;
}

struct KeysymCodes {
    unsigned long keysym;
    int code;
    int generic; // the generic code a sided modifier also holds, else 0
};

// Keys outside the letter, digit and function-key runs. Punctuation gives the
// code of its key's position, so the US and the German layout agree.
constexpr KeysymCodes Table[] = {
    {XK_BackSpace, 8, 0}, {XK_Tab, 9, 0}, {XK_ISO_Left_Tab, 9, 0}, {XK_Clear, 12, 0},
    {XK_Return, 13, 0}, {XK_KP_Enter, 13, 0}, {XK_Pause, 19, 0}, {XK_Caps_Lock, 20, 0},
    {XK_Escape, 27, 0}, {XK_space, 32, 0}, {XK_Prior, 33, 0}, {XK_Next, 34, 0},
    {XK_End, 35, 0}, {XK_Home, 36, 0}, {XK_Left, 37, 0}, {XK_Up, 38, 0},
    {XK_Right, 39, 0}, {XK_Down, 40, 0}, {XK_Select, 41, 0}, {XK_Execute, 43, 0},
    {XK_Print, 44, 0}, {XK_Insert, 45, 0}, {XK_Delete, 46, 0}, {XK_Help, 47, 0},
    {XK_Super_L, 91, 0}, {XK_Super_R, 92, 0}, {XK_Menu, 93, 0},
    // The keypad as it reads with Num Lock off, then its digits and operators.
    {XK_KP_Prior, 33, 0}, {XK_KP_Next, 34, 0}, {XK_KP_End, 35, 0}, {XK_KP_Home, 36, 0},
    {XK_KP_Left, 37, 0}, {XK_KP_Up, 38, 0}, {XK_KP_Right, 39, 0}, {XK_KP_Down, 40, 0},
    {XK_KP_Begin, 12, 0}, {XK_KP_Insert, 45, 0}, {XK_KP_Delete, 46, 0},
    {XK_KP_0, 96, 0}, {XK_KP_1, 97, 0}, {XK_KP_2, 98, 0}, {XK_KP_3, 99, 0}, {XK_KP_4, 100, 0},
    {XK_KP_5, 101, 0}, {XK_KP_6, 102, 0}, {XK_KP_7, 103, 0}, {XK_KP_8, 104, 0}, {XK_KP_9, 105, 0},
    {XK_KP_Multiply, 106, 0}, {XK_KP_Add, 107, 0}, {XK_KP_Separator, 108, 0},
    {XK_KP_Subtract, 109, 0}, {XK_KP_Decimal, 110, 0}, {XK_KP_Divide, 111, 0},
    {XK_Num_Lock, 144, 0}, {XK_Scroll_Lock, 145, 0},
    {XK_Shift_L, 160, 16}, {XK_Shift_R, 161, 16}, {XK_Control_L, 162, 17}, {XK_Control_R, 163, 17},
    {XK_Alt_L, 164, 18}, {XK_Meta_L, 164, 18}, {XK_Alt_R, 165, 18}, {XK_ISO_Level3_Shift, 165, 18},
    {XF86XK_AudioMute, 173, 0}, {XF86XK_AudioLowerVolume, 174, 0}, {XF86XK_AudioRaiseVolume, 175, 0},
    {XF86XK_AudioNext, 176, 0}, {XF86XK_AudioPrev, 177, 0}, {XF86XK_AudioStop, 178, 0},
    {XF86XK_AudioPlay, 179, 0}, {XF86XK_AudioPause, 179, 0},
    // US layout, then the German keys in the same places.
    {XK_semicolon, 186, 0}, {XK_equal, 187, 0}, {XK_comma, 188, 0}, {XK_minus, 189, 0},
    {XK_period, 190, 0}, {XK_slash, 191, 0}, {XK_grave, 192, 0}, {XK_bracketleft, 219, 0},
    {XK_backslash, 220, 0}, {XK_bracketright, 221, 0}, {XK_apostrophe, 222, 0}, {XK_less, 226, 0},
    {XK_udiaeresis, 186, 0}, {XK_plus, 187, 0}, {XK_numbersign, 191, 0}, {XK_odiaeresis, 192, 0},
    {XK_ssharp, 219, 0}, {XK_dead_circumflex, 220, 0}, {XK_asciicircum, 220, 0},
    {XK_dead_acute, 221, 0}, {XK_adiaeresis, 222, 0},
};

void AddCodes(std::vector<int>& codes, int code, int generic)
{
    if (generic) codes.push_back(generic);
    codes.push_back(code);
}

std::vector<int> X11HeldKeys(Display* display)
{
    char keymap[32] = {};
    XQueryKeymap(display, keymap);
    std::vector<int> codes;
    for (int keycode = 8; keycode < 256; ++keycode) {
        if (!(keymap[keycode / 8] & (1 << (keycode % 8)))) continue;
        const KeySym sym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, 0);
        const std::vector<int> more = VirtualKeysForKeysym(sym);
        codes.insert(codes.end(), more.begin(), more.end());
    }
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

std::vector<int> PlatformHeldKeys()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    return display ? X11HeldKeys(display) : std::vector<int>{};
}

} // namespace

std::vector<int> VirtualKeysForKeysym(unsigned long keysym)
{
    std::vector<int> codes;
    if (keysym >= XK_a && keysym <= XK_z) codes.push_back(int(keysym - XK_a) + 65);
    else if (keysym >= XK_A && keysym <= XK_Z) codes.push_back(int(keysym - XK_A) + 65);
    else if (keysym >= XK_0 && keysym <= XK_9) codes.push_back(int(keysym - XK_0) + 48);
    else if (keysym >= XK_F1 && keysym <= XK_F24) codes.push_back(int(keysym - XK_F1) + 112);
    else {
        const auto hit = std::find_if(std::begin(Table), std::end(Table),
                                      [keysym](const KeysymCodes& k) { return k.keysym == keysym; });
        if (hit != std::end(Table)) AddCodes(codes, hit->code, hit->generic);
    }
    return codes;
}

std::vector<int> HeldKeys()
{
    return Source() ? Source()() : PlatformHeldKeys();
}

void SetKeySource(std::function<std::vector<int>()> source)
{
    Source() = std::move(source);
}
