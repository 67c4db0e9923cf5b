#include "controls/QVTrayIcon.h"

#include <QImage>
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
    }
    void TearDown() override
    {
        SetTrayHostCheck({});
        SetBalloonPresenter({});
        qunsetenv("SAROVIN_HOME");
    }

    QSystemTrayIcon& Icon() { return *tray.findChild<QSystemTrayIcon*>(); }
    QTimer& Timer1() { return *tray.findChild<QTimer*>(QStringLiteral("Timer1")); }
    void FireTimer1() { QMetaObject::invokeMethod(&Timer1(), "timeout"); }

    QTemporaryDir home;
    bool host = true;
    QVTrayIcon tray;
    std::vector<TrayBalloon> shown;
    QStringList events;
};

TEST_F(TrayIcon, BalloonIconsFromInfoFlags)
{
    tray.AddIcon(QStringLiteral("/nowhere/Tray.ico"), QStringLiteral("tip"));
    const struct { int flags; QSystemTrayIcon::MessageIcon icon; bool trayPicture; } rows[] = {
        {0, QSystemTrayIcon::NoIcon, false},      {1, QSystemTrayIcon::Information, false},
        {2, QSystemTrayIcon::Warning, false},     {3, QSystemTrayIcon::Critical, false},
        {4, QSystemTrayIcon::NoIcon, true},       {0x14, QSystemTrayIcon::NoIcon, true},
        {7, QSystemTrayIcon::NoIcon, false},
    };
    for (const auto& r : rows) {
        shown.clear();
        tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), r.flags, -1, 10000);
        ASSERT_EQ(shown.size(), 1u) << r.flags;
        EXPECT_EQ(shown[0].Icon, r.icon) << r.flags;
        EXPECT_EQ(shown[0].ShowsTrayPicture, r.trayPicture) << r.flags;
        EXPECT_EQ(shown[0].TimeoutMs, 10000);
    }
}

TEST_F(TrayIcon, HideTimerFiresOnceAndShowsNothing)
{
    tray.AddIcon(QString(), QStringLiteral("tip"));
    tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), 1, 5000, 10000);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Title, QStringLiteral("y"));
    EXPECT_EQ(shown[0].Text, QStringLiteral("x"));
    EXPECT_TRUE(Timer1().isActive());
    EXPECT_EQ(Timer1().interval(), 5000);
    FireTimer1();
    EXPECT_FALSE(Timer1().isActive());
    EXPECT_EQ(shown.size(), 1u); // withdrawing pops up no empty balloon
    EXPECT_EQ(Icon().toolTip(), QStringLiteral("tip"));
}

TEST_F(TrayIcon, NoHideTimeStopsAnEarlierTimer)
{
    tray.AddIcon(QString(), QStringLiteral("tip"));
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
    // A character outside the basic plane is never split.
    tray.AddIcon(QString(), QString(126, u't') + QStringLiteral("\U0001F3B5"));
    EXPECT_EQ(Icon().toolTip(), QString(126, u't'));
}

TEST_F(TrayIcon, NoBalloonWithoutHostOrIcon)
{
    tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), 1, -1, 1000); // not added yet
    tray.AddIcon(QString(), QStringLiteral("tip"));
    host = false;
    tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), 1, -1, 1000);
    host = true;
    tray.RemoveIcon();
    tray.ShowBaloon(QStringLiteral("x"), QStringLiteral("y"), 1, -1, 1000);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(Icon().isVisible());
    tray.RemoveIcon(); // again: nothing happens
}

TEST_F(TrayIcon, ClicksBecomeButtonEvents)
{
    const struct { QSystemTrayIcon::ActivationReason reason; const char* events; } rows[] = {
        {QSystemTrayIcon::Trigger, "down0 up0"},
        {QSystemTrayIcon::Context, "down1 up1"},
        {QSystemTrayIcon::DoubleClick, "dbl up0"},
        {QSystemTrayIcon::MiddleClick, ""},
        {QSystemTrayIcon::Unknown, ""},
    };
    for (const auto& r : rows) {
        events.clear();
        emit Icon().activated(r.reason);
        EXPECT_EQ(events.join(u' '), QString::fromLatin1(r.events)) << r.reason;
    }
    // The desktop reports a double click after its first click.
    events.clear();
    emit Icon().activated(QSystemTrayIcon::Trigger);
    emit Icon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(events.join(u' '), QStringLiteral("down0 up0 dbl up0"));
}

// The colour at the centre of the tray picture.
QRgb Centre(const QIcon& icon)
{
    return icon.pixmap(32, 32).toImage().pixel(16, 16);
}

TEST_F(TrayIcon, TrayPictureFromFileOrPainted)
{
    const QRgb painted = Centre(PaintedTrayIcon());
    ASSERT_NE(qAlpha(painted), 0);
    EXPECT_EQ(Centre(TrayIconImage()), painted); // no Tray.ico yet

    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    const QString file = home.filePath(QStringLiteral("Tray.ico"));
    ASSERT_TRUE(QImageWriter(file, "ico").write(red));
    EXPECT_EQ(Centre(TrayIconImage()), qRgb(255, 0, 0));
    tray.AddIcon(file, QStringLiteral("tip"));
    EXPECT_EQ(Centre(Icon().icon()), qRgb(255, 0, 0));

    // A file that cannot be read still gives an icon.
    const struct { const char* name; QByteArray bytes; } broken[] = {{"missing.ico", {}}, {"broken.ico", "not an icon"}};
    for (const auto& b : broken) {
        const QString path = home.filePath(QString::fromLatin1(b.name));
        if (!b.bytes.isEmpty()) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(b.bytes);
        }
        tray.AddIcon(path, QStringLiteral("tip"));
        EXPECT_EQ(Centre(Icon().icon()), painted) << b.name;
        EXPECT_TRUE(Icon().isVisible());
    }
}

TEST_F(TrayIcon, TitleBalloon)
{
    const struct { const char* title; const char* line; const char* tip; const char* text; } rows[] = {
        {"Lied", "by 'Ute' from 'Platte'", "'Lied' by 'Ute' from 'Platte'", "by 'Ute' from 'Platte' "},
        {"Lied", "by 'Ute' ", "'Lied' by 'Ute' ", "by 'Ute'  "},
        {"Lied", "keine Informationen vorhanden", "'Lied' keine Informationen vorhanden",
         "keine Informationen vorhanden "},
    };
    for (const auto& r : rows) {
        shown.clear();
        ShowTitleBalloon(tray, QString::fromUtf8(r.title), QString::fromUtf8(r.line));
        EXPECT_EQ(Icon().toolTip(), QString::fromUtf8(r.tip));
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].Title, QString::fromUtf8(r.title));
        EXPECT_EQ(shown[0].Text, QString::fromUtf8(r.text));
        EXPECT_TRUE(shown[0].ShowsTrayPicture);
        EXPECT_EQ(shown[0].TimeoutMs, 32000);
        EXPECT_FALSE(Timer1().isActive());
    }
}

} // namespace
