#include "core/Clock.h"
#include "core/HotKeys.h"

#include <gtest/gtest.h>

namespace {

using A = HotKeyAction;

// The command and step of each key are in the main window's wiring table;
// here the text of the held codes, and a step that rounds halves to even.
TEST(HotKeys, TextOfHeldCodesAndVolumeStepRounding)
{
    const struct { std::vector<int> codes; const char* text; } rows[] = {
        {{}, ""}, {{164, 36, 17, 162, 18}, "17 + 18 + 36 + 162 + 164"}, {{36, 17, 36}, "17 + 36"}};
    for (const auto& r : rows) EXPECT_EQ(HotKeyText(r.codes), QString::fromLatin1(r.text));
    EXPECT_EQ(HotKeyVolume(A::VolMinus, 500.5), -500); // -499.5
}

class HotKeyTick : public ::testing::Test {
protected:
    void SetUp() override { SetMonotonicClock([this] { return now; }); }
    void TearDown() override { SetMonotonicClock({}); }
    double now = 100;
};

TEST_F(HotKeyTick, EqualTextsAllActInOrderAndEmptyNeverActs)
{
    SettingsRecord s; // Next, Prev and VolPlus stay ""
    s.HotKeyPause = s.HotKeyShowMe = s.HotKeyVolMinus = QStringLiteral("17 + 36");
    s.HotKeyStop = QStringLiteral("17 + 35");
    HotKeyPoll poll;
    EXPECT_EQ(poll.Tick(QStringLiteral("17 + 36"), s), (std::vector{A::Pause, A::ShowMe, A::VolMinus}));
    now = 101;
    EXPECT_EQ(poll.Tick(QStringLiteral("17 + 35"), s), std::vector{A::Stop});
    now = 102;
    EXPECT_TRUE(poll.Tick(QString(), s).empty());
}

// A held combination acts at once, is silent for a steady half second after its
// change (the fraction of the change time counts), then acts on every tick.
TEST_F(HotKeyTick, HeldCombinationWaitsHalfASecond)
{
    SettingsRecord s;
    const QString next = s.HotKeyNext = QStringLiteral("17 + 39");
    const struct { double at; QString combo; bool acts; } script[] = {
        {10.625, next, true},  {10.75, next, false},
        {11.125, next, true},  // rounded to whole seconds the guard ran to 11.5
        {11.25, next, true},   {11.375, QString(), false},
        {11.5, next, true},    // pressed again: at once
        {11.625, QStringLiteral("17"), false},
        {12.375, next, true},  {12.75, next, false}, // rounded: acting again at 12.5
        {12.875, next, true},
    };
    HotKeyPoll poll;
    for (const auto& step : script) {
        now = step.at;
        EXPECT_EQ(!poll.Tick(step.combo, s).empty(), step.acts) << step.at;
    }
}

} // namespace
