#include "controls/QVTrayIcon.h"
#include "tests/support/AudioFixtures.h"

#include <QImageWriter>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("SAROVIN_HOME", home.path().toUtf8());
        SetTrayHostCheck([this] { return host; });
        SetBalloonPresenter([this](QSystemTrayIcon&, const TrayBalloon& b) { shown.push_back(b); });
        QObject::connect(&tray, &QVTrayIcon::MouseDown, [this](int b) { events << QStringLiteral("down%1").arg(b); });
        QObject::connect(&tray, &QVTrayIcon::MouseUp, [this](int b) { events << QStringLiteral("up%1").arg(b); });
        QObject::connect(&tray, &QVTrayIcon::DblClick, [this] { events << QStringLiteral("dbl"); });
        tray.AddIcon(QString(), QStringLiteral("tip"));
    }
    void TearDown() override
    {
        SetTrayHostCheck({});
        SetBalloonPresenter({});
        qunsetenv("SAROVIN_HOME");
    }
    QSystemTrayIcon& Icon() { return *tray.findChild<QSystemTrayIcon*>(); }
    QTimer& Timer1() { return *tray.findChild<QTimer*>(QStringLiteral("Timer1")); }

    QTemporaryDir home;
    bool host = true;
    QVTrayIcon tray;
    std::vector<TrayBalloon> shown;
    QStringList events;
};

TEST_F(TrayIcon, BalloonIconsFromInfoFlags)
{
    const struct { int flags; QSystemTrayIcon::MessageIcon icon; bool trayPicture; } rows[] = {
        {1, QSystemTrayIcon::Information, false}, {0x14, QSystemTrayIcon::NoIcon, true}, // 4 + no sound
        {7, QSystemTrayIcon::NoIcon, false},
    };
    for (const auto& r : rows) {
        shown.clear();
        tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), r.flags, -1, 10000);
        ASSERT_EQ(shown.size(), 1u) << r.flags;
        EXPECT_EQ(shown[0].Icon, r.icon) << r.flags;
        EXPECT_EQ(shown[0].ShowsTrayPicture, r.trayPicture) << r.flags;
    }
}

TEST_F(TrayIcon, HideTimerFiresOnceAndShowsNothing)
{
    tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), 1, 5000, 10000);
    EXPECT_EQ(Timer1().interval(), 5000);
    QMetaObject::invokeMethod(&Timer1(), "timeout");
    EXPECT_FALSE(Timer1().isActive());
    ASSERT_EQ(shown.size(), 1u); // an empty balloon would pop up: none is shown
    EXPECT_EQ(shown[0].Title, QStringLiteral("y"));
    EXPECT_EQ(shown[0].Text, QStringLiteral("x"));
    EXPECT_EQ(shown[0].TimeoutMs, 10000);
    for (int hideAfter : {0, -1}) {
        tray.ShowBaloon(QStringLiteral("a"), QStringLiteral("b"), 4, 5000, 32000);
        tray.ShowBaloon(QStringLiteral("a"), QStringLiteral("b"), 4, hideAfter, 32000);
        EXPECT_FALSE(Timer1().isActive()) << hideAfter;
    }
}

TEST_F(TrayIcon, TextsCutToTheirFields)
{
    const QString tip(200, u't'), text(300, u'x'), title(100, u'y');
    tray.AddIcon(QString(), tip);
    EXPECT_EQ(Icon().toolTip(), tip.left(127));
    tray.ShowBaloon(text, title, 1, -1, 1000);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, text.left(255));
    EXPECT_EQ(shown[0].Title, title.left(63));
    tray.AddIcon(QString(), QString(126, u't') + QStringLiteral("\U0001F3B5")); // never half a character
    EXPECT_EQ(Icon().toolTip(), QString(126, u't'));
}

TEST_F(TrayIcon, NoBalloonWithoutHostOrIcon)
{
    host = false;
    tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), 1, -1, 1000);
    host = true;
    tray.RemoveIcon();
    tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), 1, -1, 1000);
    EXPECT_TRUE(shown.empty());
}

TEST_F(TrayIcon, ClicksBecomeButtonEvents)
{
    const struct { std::vector<QSystemTrayIcon::ActivationReason> reasons; const char* events; } rows[] = {
        {{QSystemTrayIcon::Trigger}, "down0 up0"},
        {{QSystemTrayIcon::Context}, "down1 up1"},
        {{QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}, "down0 up0 dbl up0"},
        {{QSystemTrayIcon::MiddleClick}, ""},
    };
    for (const auto& r : rows) {
        events.clear();
        for (auto reason : r.reasons) emit Icon().activated(reason);
        EXPECT_EQ(events.join(u' '), QString::fromLatin1(r.events));
    }
}

QRgb Centre(const QIcon& icon)
{
    return icon.pixmap(32, 32).toImage().pixel(16, 16);
}

TEST_F(TrayIcon, PictureFromFileElsePainted)
{
    const QRgb painted = Centre(PaintedTrayIcon());
    ASSERT_NE(qAlpha(painted), 0);
    EXPECT_EQ(Centre(TrayIconImage()), painted); // no Tray.ico
    const QString file = home.filePath(QStringLiteral("Tray.ico"));
    ASSERT_TRUE(WriteRawFile(file, "not an icon"));
    for (const char* name : {"Tray.ico", "missing.ico"}) {
        tray.AddIcon(home.filePath(QString::fromLatin1(name)), QStringLiteral("tip"));
        EXPECT_EQ(Centre(Icon().icon()), painted) << name;
        EXPECT_TRUE(Icon().isVisible());
    }
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(QImageWriter(file, "ico").write(red));
    EXPECT_EQ(Centre(TrayIconImage()), qRgb(255, 0, 0));
}

TEST_F(TrayIcon, TitleBalloon)
{
    // An artist without album: the line ends in a blank, the balloon text in two.
    ShowTitleBalloon(tray, QStringLiteral("Lied"), QStringLiteral("by 'Ute' "));
    EXPECT_EQ(Icon().toolTip(), QStringLiteral("'Lied' by 'Ute' "));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Title, QStringLiteral("Lied"));
    EXPECT_EQ(shown[0].Text, QStringLiteral("by 'Ute'  "));
    EXPECT_TRUE(shown[0].ShowsTrayPicture);
    EXPECT_EQ(shown[0].TimeoutMs, 32000);
    EXPECT_FALSE(Timer1().isActive());
}

} // namespace
