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
    // One tick of Timer1, as the running timer gives it.
    static void Tick(frmSplash& s) { QMetaObject::invokeMethod(s.Timer1, "timeout"); }
};

TEST_F(Splash, HooksWithoutASplashDoNothing)
{
    SetSplashStep(QStringLiteral("Einstellungen"));
    SetSplashTimer(true);
    SetSplashTimer(false);
    UnloadSplash();
    UnloadSplash();
    EXPECT_EQ(SplashWindow(), nullptr);
}

TEST_F(Splash, WindowAndTexts)
{
    ShowSplash();
    frmSplash* s = SplashWindow();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->isVisible());
    EXPECT_TRUE(s->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(s->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(s->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(s->Label1->text(), QStringLiteral("Sarovin"));
    EXPECT_EQ(s->Label4->text(), QStringLiteral("by Trelmund"));
    EXPECT_TRUE(s->Label4->alignment().testFlag(Qt::AlignRight));
    EXPECT_EQ(s->Label2->text(), QStringLiteral("Wird geladen ..."));
    EXPECT_EQ(s->Label5->text(), QString());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+\\.\\d+ beta$")).match(s->Label3->text()).hasMatch())
        << s->Label3->text().toStdString();
    SetSplashStep(QStringLiteral("Equalizer"));
    EXPECT_EQ(s->Label5->text(), QStringLiteral("Equalizer"));
}

TEST_F(Splash, TimerShowsTheStepInASecondWindowAndStopsAfter101Ticks)
{
    ShowSplash();
    frmSplash* s = SplashWindow();
    SetSplashStep(QStringLiteral("Tag-Reader"));
    SetSplashTimer(true);
    for (int i = 0; i < 100; ++i) Tick(*s);
    EXPECT_TRUE(s->Timer1->isActive());
    Tick(*s);
    EXPECT_FALSE(s->Timer1->isActive());

    QPointer<frmSplash> second = s->SecondSplash();
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->isWindow());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->parentWidget(), s);
    EXPECT_EQ(second->Label5->text(), QStringLiteral("Tag-Reader"));
    EXPECT_EQ(second->SecondSplash(), nullptr); // the copy makes no copy of its own

    QPointer<frmSplash> first = s;
    UnloadSplash();
    EXPECT_FALSE(first);
    EXPECT_FALSE(second);
}

TEST_F(Splash, RunningTimerCopiesTheStep)
{
    ShowSplash();
    frmSplash* s = SplashWindow();
    SetSplashStep(QStringLiteral("Audio-Treiber"));
    SetSplashTimer(true);
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(10000);
    while (s->Timer1->isActive() && guard.isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_FALSE(s->Timer1->isActive());
    ASSERT_NE(s->SecondSplash(), nullptr);
    EXPECT_EQ(s->SecondSplash()->Label5->text(), QStringLiteral("Audio-Treiber"));
}

TEST_F(Splash, EachStartGetsAFreshWindowAndCounter)
{
    ShowSplash();
    QPointer<frmSplash> old = SplashWindow();
    SetSplashTimer(true);
    for (int i = 0; i < 60; ++i) Tick(*old);
    ShowSplash();
    EXPECT_FALSE(old);
    frmSplash* s = SplashWindow();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->SecondSplash(), nullptr);
    SetSplashTimer(true);
    for (int i = 0; i < 60; ++i) Tick(*s);
    EXPECT_TRUE(s->Timer1->isActive());
}

TEST_F(Splash, MessageBoxesStackAboveIt)
{
    ShowSplash();
    QWidget* owner = nullptr;
    // As on a desktop, where the splash never gets the focus.
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    SetModalAnswerer([&](QDialog& d) { owner = d.parentWidget(); });
    ShowMessageBox(QStringLiteral("Hallo"), 64, QStringLiteral("Sarovin"));
    EXPECT_EQ(owner, SplashWindow());
}

} // namespace
