#include "ui/dialogs/frmSplash.h"

#include "platform/ExecModal.h"
#include "platform/QtUiServices.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMetaObject>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class Splash : public ::testing::Test {
protected:
    void TearDown() override
    {
        UnloadSplash();
        SetModalAnswerer({});
    }
    // Ticks of Timer1 as the running timer gives them.
    static void Tick(frmSplash& s, int n)
    {
        for (int i = 0; i < n; ++i) QMetaObject::invokeMethod(s.Timer1, "timeout");
    }
};

TEST_F(Splash, WindowAndTexts)
{
    ShowSplash();
    frmSplash* s = SplashWindow();
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(s->cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(s->Label4->alignment().testFlag(Qt::AlignRight));
    EXPECT_TRUE(s->Label3->text().contains(QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+\\.\\d+ beta$"))))
        << s->Label3->text().toStdString();
}

TEST_F(Splash, TimerShowsTheStepInACopyAndStopsAfter101Ticks)
{
    ShowSplash();
    frmSplash* s = SplashWindow();
    SetSplashStep(QStringLiteral("Tag-Reader"));
    SetSplashTimer(true);
    s->Timer1->setInterval(3600000); // only the ticks given here
    Tick(*s, 100);
    EXPECT_TRUE(s->Timer1->isActive());
    Tick(*s, 1);
    EXPECT_FALSE(s->Timer1->isActive());

    QPointer<frmSplash> copy = s->SecondSplash();
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isWindow() && copy->isVisible());
    EXPECT_EQ(copy->Label5->text(), QStringLiteral("Tag-Reader"));
    EXPECT_EQ(copy->SecondSplash(), nullptr);
    UnloadSplash();
    EXPECT_FALSE(copy);
}

TEST_F(Splash, HooksAreHarmlessWithoutOneAndEachStartGetsAFreshWindowAndCounter)
{
    SetSplashStep(QStringLiteral("Einstellungen"));
    SetSplashTimer(true);
    UnloadSplash();
    UnloadSplash();
    ShowSplash();
    QPointer<frmSplash> old = SplashWindow();
    SetSplashTimer(true);
    Tick(*old, 60);
    ShowSplash();
    EXPECT_FALSE(old);
    frmSplash* s = SplashWindow();
    EXPECT_EQ(s->SecondSplash(), nullptr);
    SetSplashTimer(true);
    Tick(*s, 60);
    EXPECT_TRUE(s->Timer1->isActive());
}

TEST_F(Splash, MessageBoxesStackAboveIt)
{
    ShowSplash();
    QApplication::setActiveWindow(nullptr); // as on a desktop: a splash gets no focus
    QWidget* owner = nullptr;
    SetModalAnswerer([&](QDialog& d) { owner = d.parentWidget(); });
    ShowMessageBox(QStringLiteral("Hallo"), 64, QStringLiteral("Sarovin"));
    EXPECT_EQ(owner, SplashWindow());
}

} // namespace
