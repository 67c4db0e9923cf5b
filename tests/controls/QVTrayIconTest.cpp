#include "controls/QVTrayIcon.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/WidgetTest.h"

#include <QImageWriter>
#include <QMetaObject>
#include <QTimer>

namespace {

class TrayIcon : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
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
    }
    QSystemTrayIcon& Icon() { return *tray.findChild<QSystemTrayIcon*>(); }
    QTimer& Timer1() { return *tray.findChild<QTimer*>(QStringLiteral("Timer1")); }

    bool host = true;
    QVTrayIcon tray;
    std::vector<TrayBalloon> shown;
    QStringList events;
};

TEST_F(TrayIcon, BalloonsFromInfoFlagsCutTextsAndAHideTimer)
{
    using I = QSystemTrayIcon;
    const QString text(300, u'x'), title(100, u'y');
    const struct { int flags, hideAfter; I::MessageIcon icon; bool trayPicture, timer; } rows[] = {
        {1, -1, I::Information, false, false},
        {0x14, 5000, I::NoIcon, true, true},  // 4 + no sound
        {7, 0, I::NoIcon, false, false},      // 0 stops the running timer
    };
    for (const auto& r : rows) {
        shown.clear();
        tray.ShowBaloon(text, title, r.flags, r.hideAfter, 10000);
        ASSERT_EQ(shown.size(), 1u) << r.flags;
        EXPECT_EQ(shown[0].Icon, r.icon) << r.flags;
        EXPECT_EQ(shown[0].ShowsTrayPicture, r.trayPicture) << r.flags;
        EXPECT_EQ(std::tuple(shown[0].Text, shown[0].Title, shown[0].TimeoutMs),
                  std::tuple(text.left(255), title.left(63), 10000));
        EXPECT_EQ(Timer1().isActive(), r.timer) << r.flags;
    }
    // The timer fires once and shows no empty balloon; one without a timer stops it.
    tray.ShowBaloon(QStringLiteral("a"), QStringLiteral("b"), 4, 5000, 32000);
    EXPECT_EQ(Timer1().interval(), 5000);
    shown.clear();
    QMetaObject::invokeMethod(&Timer1(), "timeout");
    EXPECT_FALSE(Timer1().isActive() || !shown.empty());
    tray.ShowBaloon(QStringLiteral("a"), QStringLiteral("b"), 4, 5000, 32000);
    tray.ShowBaloon(QStringLiteral("a"), QStringLiteral("b"), 4, -1, 32000);
    EXPECT_FALSE(Timer1().isActive());
    // None without a host or an icon.
    shown.clear();
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
    const QString file = HomeFile(QStringLiteral("Tray.ico"));
    ASSERT_TRUE(WriteRawFile(file, "not an icon"));
    for (const char* name : {"Tray.ico", "missing.ico"}) {
        tray.AddIcon(HomeFile(QString::fromLatin1(name)), QStringLiteral("tip"));
        EXPECT_EQ(Centre(Icon().icon()), painted) << name;
        EXPECT_TRUE(Icon().isVisible());
    }
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(QImageWriter(file, "ico").write(red));
    EXPECT_EQ(Centre(TrayIconImage()), qRgb(255, 0, 0));
}

TEST_F(TrayIcon, TitleBalloonAndToolTipCut)
{
    tray.AddIcon(QString(), QString(200, u't'));
    EXPECT_EQ(Icon().toolTip(), QString(127, u't'));
    tray.AddIcon(QString(), QString(126, u't') + QStringLiteral("\U0001F3B5")); // never half a character
    EXPECT_EQ(Icon().toolTip(), QString(126, u't'));
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
