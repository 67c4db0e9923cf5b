#include "ui/dialogs/frmSplash.h"

#include "platform/QtUiServices.h"
#include "tests/support/PlatformTest.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>

namespace {

class Splash : public PlatformTest {
protected:
    ~Splash() override { UnloadSplash(); }
};

TEST_F(Splash, TimerShowsTheStepInACopyStopsAfter101TicksAndEachStartCountsAfresh)
{
    // Ticks of Timer1 as the running timer gives them.
    const auto tick = [](frmSplash& s, int n) { while (n--) QMetaObject::invokeMethod(s.Timer1, "timeout"); };
    SetSplashStep("Einstellungen");  // harmless without a splash
    SetSplashTimer(true);
    UnloadSplash();
    ShowSplash();
    QPointer<frmSplash> old = SplashWindow();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+\\.\\d+ beta$")).match(old->Label3->text()).hasMatch())
        << old->Label3->text().toStdString();
    SetSplashTimer(true);
    tick(*old, 60);
    ShowSplash();  // a fresh window and counter
    EXPECT_FALSE(old);
    frmSplash* s = SplashWindow();
    EXPECT_EQ(s->SecondSplash(), nullptr);
    SetSplashStep("Tag-Reader");
    SetSplashTimer(true);
    s->Timer1->setInterval(3600000);  // only the ticks given here
    tick(*s, 100);
    EXPECT_TRUE(s->Timer1->isActive());
    tick(*s, 1);
    EXPECT_FALSE(s->Timer1->isActive());

    QPointer<frmSplash> copy = s->SecondSplash();
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isWindow() && copy->isVisible() && !copy->SecondSplash());
    EXPECT_EQ(copy->Label5->text(), "Tag-Reader");
    UnloadSplash();
    EXPECT_FALSE(copy);
}

TEST_F(Splash, MessageBoxesStackAboveIt)
{
    ShowSplash();
    QApplication::setActiveWindow(nullptr); // as on a desktop: a splash gets no focus
    QWidget* owner = nullptr;
    SetModalAnswerer([&](QDialog& d) { owner = d.parentWidget(); });
    ShowMessageBox("Hallo", 64, "Sarovin");
    EXPECT_EQ(owner, SplashWindow());
}

} // namespace
