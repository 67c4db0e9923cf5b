#include "platform/KeyState.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace {

TEST(KeyState, KeysymsGiveWindowsKeyCodes)
{
    const struct { unsigned long keysym; std::vector<int> codes; } rows[] = {
        {XK_a, {65}}, {XK_Z, {90}}, {XK_0, {48}}, {XK_9, {57}}, {XK_F1, {112}}, {XK_F24, {135}},
        {XK_Home, {36}}, {XK_Up, {38}}, {XK_Return, {13}}, {XK_KP_Enter, {13}}, {XK_space, {32}},
        {XK_Shift_L, {16, 160}}, {XK_Shift_R, {16, 161}},
        {XK_Control_L, {17, 162}}, {XK_Control_R, {17, 163}},
        {XK_Alt_L, {18, 164}}, {XK_Alt_R, {18, 165}}, {XK_ISO_Level3_Shift, {18, 165}},
        // A key's place gives its code: US and German layouts agree.
        {XK_apostrophe, {222}}, {XK_adiaeresis, {222}}, {XK_equal, {187}}, {XK_plus, {187}},
        {XK_KP_1, {97}}, {XK_KP_End, {35}},
        {XF86XK_AudioPlay, {179}}, {XF86XK_AudioNext, {176}},
        {0, {}}, {0x1008FF2A /* power key */, {}},
    };
    for (const auto& r : rows) EXPECT_EQ(VirtualKeysForKeysym(r.keysym), r.codes) << std::hex << r.keysym;
}

TEST(KeyState, NoKeysOffX11AndTheFakeWhenSet)
{
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    EXPECT_TRUE(HeldKeys().empty());
    SetKeySource([] { return std::vector<int>{17, 36, 162}; });
    EXPECT_EQ(HeldKeys(), (std::vector<int>{17, 36, 162}));
    SetKeySource({});
    EXPECT_TRUE(HeldKeys().empty());
}

} // namespace
