#include "core/UiServices.h"
#include "platform/KeyState.h"
#include "tests/support/WindowTest.h"
#include "ui/dialogs/frmHotKEnable.h"
#include "ui/dialogs/frmSelectLibraryAction.h"

#include <QRadioButton>

namespace {

using Keys = std::vector<int>;

class OptionsDialogs : public PlatformTest {
protected:
    ~OptionsDialogs() override { SetKeySource({}); }
};

// Sends a key to the shown dialog (the Enter button must be visible to be pressed).
void Press(QDialog& d, Qt::Key key)
{
    d.show();
    SendKey(d.focusWidget() ? d.focusWidget() : &d, key);
}

TEST_F(OptionsDialogs, CaptureTicksKeepTheFullestCombination)
{
    const Keys ctrlAltEnd = {17, 18, 35, 162, 164};
    const struct { const char* what; QString start; bool clearFirst; std::vector<Keys> ticks; QString want; } rows[] = {
        {"not longer: kept", "17 + 18 + 36 + 162 + 164", false, {ctrlAltEnd}, "17 + 18 + 36 + 162 + 164"},
        {"after clearing: taken", "17 + 18 + 36 + 162 + 164", true, {ctrlAltEnd}, "17 + 18 + 35 + 162 + 164"},
        {"let go one by one", "", false, {{17, 162}, {36, 17, 162, 18, 164}, {18, 164, 36}, {36}, {}},
         "17 + 18 + 36 + 162 + 164"},
        {"cleared, nothing held", "17 + 36", true, {{}}, ""},
        {"mouse buttons never count", "", true, {{1, 2, 4, 5, 6}, {1, 17, 300}}, "17"},
    };
    for (const auto& r : rows) {
        Keys held;
        SetKeySource([&held] { return held; });
        frmHotKEnable d(nullptr, {});
        d.Text1->setText(r.start);
        if (r.clearFirst) d.Command3->click();
        for (const Keys& k : r.ticks) {
            held = k;
            d.Timer1_Timer();
        }
        EXPECT_EQ(d.Text1->text(), r.want) << r.what;
    }
}

TEST_F(OptionsDialogs, CaptureEveryWayOutAnswersAndRestoresThePolling)
{
    const struct { const char* what; std::function<void(frmHotKEnable&)> answer; bool cancelled; } rows[] = {
        {"OK", [](frmHotKEnable& d) { d.Command1->click(); }, false},
        {"Enter", [](frmHotKEnable& d) { Press(d, Qt::Key_Return); }, false},
        {"Abbrechen", [](frmHotKEnable& d) { d.Command2->click(); }, true},
        {"Esc", [](frmHotKEnable& d) { Press(d, Qt::Key_Escape); }, true},
        {"frame", [](frmHotKEnable& d) { d.close(); }, true},
        {"not shown", nullptr, true},
    };
    for (const auto& r : rows) {
        QList<bool> calls;
        bool polling = true;
        SetSessionEnding(!r.answer);
        SetModalAnswerer([&](QDialog& d) { r.answer(dynamic_cast<frmHotKEnable&>(d)); });
        {
            frmHotKEnable d(nullptr, [&](bool on) { return calls << on, std::exchange(polling, on); });
            EXPECT_FALSE(polling) << r.what;
            ExecModal(d);
            EXPECT_EQ(d.Cancelled, r.cancelled) << r.what;
        }
        EXPECT_EQ(calls, (QList<bool>{false, true})) << r.what;
    }
}

TEST_F(OptionsDialogs, LibraryActionOnlyOkAnswersWithTheChoice)
{
    const struct { const char* what; std::function<void(frmSelectLibraryAction&)> answer; int want; } rows[] = {
        {"Enter", [](frmSelectLibraryAction& d) { Press(d, Qt::Key_Return); }, 1},
        {"Nichts verändern, OK", [](frmSelectLibraryAction& d) { d.Option3->click(), d.Command1->click(); }, 3},
        {"disabled option", [](frmSelectLibraryAction& d) { d.Option2->click(), d.Command1->click(); }, 1},
        {"Esc", [](frmSelectLibraryAction& d) { Press(d, Qt::Key_Escape); }, 3},
        {"frame", [](frmSelectLibraryAction& d) { d.close(); }, 3},
        {"not shown", nullptr, 3},
    };
    for (const auto& r : rows) {
        SetSessionEnding(!r.answer);
        SetModalAnswerer([&](QDialog& d) { r.answer(dynamic_cast<frmSelectLibraryAction&>(d)); });
        EXPECT_EQ(AskLibraryAction(nullptr), r.want) << r.what;
    }
}

} // namespace
