#include "core/UiServices.h"
#include "platform/ExecModal.h"
#include "ui/dialogs/HeldKeys.h"
#include "ui/dialogs/frmHotKEnable.h"
#include "ui/dialogs/frmSelectLibraryAction.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Keys = QList<int>;

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetHeldKeysSource([this] { return held_; });
    }
    void TearDown() override
    {
        SetHeldKeysSource({});
        SetModalAnswerer({});
        SetSessionEnding(false);
    }
    // Ticks once per entry of keys; the text shown after the last.
    QString Run(frmHotKEnable& d, const QList<Keys>& ticks)
    {
        for (const Keys& k : ticks) {
            held_ = k;
            d.Timer1_Timer();
        }
        return d.Text1->text();
    }
    Keys held_;
};

TEST_F(CaptureTest, TicksKeepTheFullestCombination)
{
    const Keys ctrlAltHome = {17, 162, 18, 164, 36};
    const Keys ctrlAltEnd = {17, 18, 35, 162, 164};
    const struct { const char* what; QString start; QList<Keys> ticks; bool clearFirst; QString want; } rows[] = {
        {"not longer: kept", "17 + 18 + 36 + 162 + 164", {ctrlAltEnd}, false, "17 + 18 + 36 + 162 + 164"},
        {"after clearing: taken", "17 + 18 + 36 + 162 + 164", {ctrlAltEnd}, true, "17 + 18 + 35 + 162 + 164"},
        {"let go one by one", "", {{17, 162}, {17, 162, 18, 164}, ctrlAltHome, {18, 164, 36}, {36}, {}}, false,
         "17 + 18 + 36 + 162 + 164"},
        {"cleared, nothing held", "17 + 36", {{}}, true, ""},
        {"mouse buttons never count", "", {{1, 2, 4, 5, 6}, {1, 17}}, true, "17"},
        {"codes outside 1..254", "", {{0, 255, 300, 65}}, false, "65"},
    };
    for (const auto& r : rows) {
        frmHotKEnable d(nullptr, {});
        d.Text1->setText(r.start);
        if (r.clearFirst) d.Command3->click();
        EXPECT_EQ(Run(d, r.ticks), r.want) << r.what;
    }
}

TEST_F(CaptureTest, EveryWayOutAnswersAndRestoresThePolling)
{
    const struct { const char* what; std::function<void(frmHotKEnable&)> answer; bool cancelled; } rows[] = {
        {"OK", [](frmHotKEnable& d) { d.Command1->click(); }, false},
        {"Abbrechen", [](frmHotKEnable& d) { d.Command2->click(); }, true},
        {"Esc", [](frmHotKEnable& d) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(d.Text1, &esc);
         }, true},
        {"Enter", [](frmHotKEnable& d) {
             d.show();  // the Enter button must be visible to be pressed
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(d.Text1, &enter);
         }, false},
        {"frame", [](frmHotKEnable& d) { d.close(); }, true},
        {"not shown", nullptr, true},
    };
    for (const auto& r : rows) {
        QList<bool> calls;
        bool polling = true;
        SetSessionEnding(!r.answer);
        SetModalAnswerer([&](QDialog& d) { r.answer(dynamic_cast<frmHotKEnable&>(d)); });
        {
            frmHotKEnable d(nullptr, [&](bool on) {
                calls << on;
                return std::exchange(polling, on);
            });
            EXPECT_FALSE(polling) << r.what;
            ExecModal(d);
            EXPECT_EQ(d.Cancelled, r.cancelled) << r.what;
        }
        EXPECT_EQ(calls, (QList<bool>{false, true})) << r.what;
        EXPECT_TRUE(polling) << r.what;
    }
}

TEST(LibraryActionChoice, OnlyOkAnswersWithTheChoice)
{
    const struct { const char* what; std::function<void(frmSelectLibraryAction&)> answer; int want; } rows[] = {
        {"Enter", [](frmSelectLibraryAction& d) {
             d.show();
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(&d, &enter);
         }, 1},
        {"Nichts verändern, OK", [](frmSelectLibraryAction& d) {
             d.Option3->click();
             d.Command1->click();
         }, 3},
        {"Esc", [](frmSelectLibraryAction& d) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&d, &esc);
         }, 3},
        {"frame", [](frmSelectLibraryAction& d) { d.close(); }, 3},
        {"disabled option", [](frmSelectLibraryAction& d) {
             d.Option2->click();
             d.Command1->click();
         }, 1},
    };
    for (const auto& r : rows) {
        SetModalAnswerer([&](QDialog& d) { r.answer(dynamic_cast<frmSelectLibraryAction&>(d)); });
        EXPECT_EQ(AskLibraryAction(nullptr), r.want) << r.what;
    }
    SetModalAnswerer({});
    SetSessionEnding(true);
    EXPECT_EQ(AskLibraryAction(nullptr), 3);
    SetSessionEnding(false);
}

} // namespace
