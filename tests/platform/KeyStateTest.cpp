#include "platform/KeyState.h"

#include <gtest/gtest.h>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace {

TEST(KeyState, KeysymsGiveWindowsKeyCodes)
{
    const struct { unsigned long keysym; std::vector<int> codes; } rows[] = {
        {XK_a, {65}}, {XK_Z, {90}}, {XK_9, {57}}, {XK_F24, {135}}, {XK_Home, {36}}, {XK_KP_Enter, {13}},
        {XK_Shift_R, {16, 161}}, {XK_Control_L, {17, 162}}, {XK_Alt_L, {18, 164}}, {XK_ISO_Level3_Shift, {18, 165}},
        {XK_apostrophe, {222}}, {XK_adiaeresis, {222}}, // the key's place: US and German agree
        {XK_KP_1, {97}}, {XK_KP_End, {35}}, {XF86XK_AudioPlay, {179}},
        {0, {}}, {XF86XK_PowerOff, {}},
    };
    for (const auto& r : rows) EXPECT_EQ(VirtualKeysForKeysym(r.keysym), r.codes) << std::hex << r.keysym;
    EXPECT_TRUE(HeldKeys().empty()); // no keys off X11, the fake when one is set
    SetKeySource([] { return std::vector<int>{17, 36, 162}; });
    EXPECT_EQ(HeldKeys(), (std::vector<int>{17, 36, 162}));
    SetKeySource({});
    EXPECT_TRUE(HeldKeys().empty());
}

} // namespace
