// The main window's life: the tray, closing, the exit fade, the window's
// place, the hot-key tick and the title balloon.
#include "MainWindowTestSupport.h"

#include "controls/QVTrayIcon.h"
#include "core/Busy.h"
#include "core/UiServices.h"
#include "platform/KeyState.h"

#include <QMenu>
#include <QScreen>

namespace {

class MainWindowLife : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetTrayHostCheck([this] { return trayHost; });
        SetMessageBoxService([this](const QString& text, int style, const QString&) {
            messages << QString::number(style) + u'|' + text;
            return int(MsgOk);
        });
        SetExitProgram([this] { ++exits; });
        SetFadeSleep([this](int ms) {
            now += ms / 1000.0;
            fade.push_back(ChannelVolume(-1, w->Channel));
        });
        SetKeySource([this] { return held; });
        SetBalloonPresenter([this](QSystemTrayIcon&, const TrayBalloon& b) { balloons << b.Title + u'|' + b.Text; });
        w->tmrHotKeys->stop();
        Settings.MainLeft = 1500;
        Settings.MainTop = 1500;
        Settings.MainWidth = 9000;
        Settings.MainHeight = 6000;
    }
    void TearDown() override
    {
        SetTrayHostCheck({});
        SetMessageBoxService({});
        SetExitProgram({});
        SetFadeSleep({});
        SetKeySource({});
        SetBalloonPresenter({});
        MainWindowTest::TearDown();
    }
    // Loaded and shown as the start leaves it.
    void Load()
    {
        MakeLibrary();
        w->Form_Load();
        w->tmrHotKeys->stop();
        if (!IsOn(Settings.InTray)) w->show();
    }
    bool InTray() const { return IsOn(Settings.InTray); }
    // A new window, no sound left from the one before.
    void Fresh()
    {
        w.reset();
        StopSound(0);
        StopSound(1);
        w = std::make_unique<frmMain>();
        w->tmrActualizeDisp->stop();
        w->tmrAudioSys->stop();
    }

    bool trayHost = true;
    QStringList messages, balloons;
    int exits = 0;
    std::vector<int32_t> fade;
    std::vector<int> held;
};

TEST_F(MainWindowLife, ClosingMinimisingAndTheTrayIcon)
{
    enum Act { CloseBox, Unload, Minimise, LeftClick, LeftClickTwice };
    const struct { const char* name; Act act; bool closeToTray, minimizeToTray, busy, host; bool visible, inTray; int exits; } rows[] = {
        {"close box to tray", CloseBox, true, false, false, true, false, true, 0},
        {"close box ends", CloseBox, false, false, false, true, false, false, 1},
        {"B&eenden ends", Unload, true, false, false, true, false, false, 1},
        {"busy: refused into the tray", Unload, false, false, true, true, false, true, 0},
        {"minimise to tray", Minimise, false, true, false, true, false, true, 0},
        {"minimise stays", Minimise, false, false, false, true, true, false, 0},
        {"click hides", LeftClick, false, false, false, true, false, true, 0},
        {"click and back", LeftClickTwice, false, false, false, true, true, false, 0},
        {"no tray host: only minimised", CloseBox, true, false, false, false, true, false, 0},
        {"no tray host, click", LeftClick, false, false, false, false, true, false, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Settings.CloseToTray = r.closeToTray ? SwitchOn : SwitchOff;
        Settings.MinimizeToTray = r.minimizeToTray ? SwitchOn : SwitchOff;
        Settings.InTray = SwitchOff;
        trayHost = r.host;
        exits = 0;
        messages.clear();
        Load();
        std::optional<BusyGuard> busy;
        if (r.busy) busy.emplace();
        switch (r.act) {
        case CloseBox: w->close(); break;
        case Unload: w->Unload(); break;
        case Minimise: w->showMinimized(); QCoreApplication::processEvents(); break;
        case LeftClick: w->ToggleTray(); break;
        case LeftClickTwice: w->ToggleTray(); w->ToggleTray(); break;
        }
        EXPECT_EQ(w->isVisible(), r.visible);
        EXPECT_EQ(InTray(), r.inTray);
        EXPECT_EQ(exits, r.exits);
        EXPECT_EQ(messages, r.busy ? QStringList{QStringLiteral("48|Sarovin kann zur Zeit nicht beendet werden.\r\n"
                                                                 "Der Player ist beschäftigt.\r\n"
                                                                 "-> Der Player wird nun in den Tray minimiert.")}
                                   : QStringList{});
        if (r.act == Minimise && r.visible) {
            EXPECT_TRUE(w->isMinimized());
        }
        Fresh();
    }
}

TEST_F(MainWindowLife, MaximisedComesBackMaximisedAndKeepsTheNormalPlace)
{
    Load();
    const auto place = std::array{Settings.MainLeft, Settings.MainTop, Settings.MainWidth, Settings.MainHeight};
    w->showMaximized();
    EXPECT_EQ(Settings.MainWindowState, 2);
    EXPECT_EQ((std::array{Settings.MainLeft, Settings.MainTop, Settings.MainWidth, Settings.MainHeight}), place);
    w->ToTray();
    EXPECT_FALSE(w->isVisible());
    w->ToggleTray();
    EXPECT_TRUE(w->isVisible() && w->isMaximized());
    w->ToggleTray();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(InTray());
}

TEST_F(MainWindowLife, PlaceIsKeptInTwipsAndAnUnusableOneGivesWayToTheDefault)
{
    Load();
    EXPECT_EQ(w->frameGeometry(), QRect(100, 100, 600, 400));
    w->setGeometry(30, 40, 500, 300);
    const QRect f = w->frameGeometry();  // the outer rectangle, 15 twips to the pixel
    EXPECT_EQ((std::array{Settings.MainLeft, Settings.MainTop, Settings.MainWidth, Settings.MainHeight}),
              (std::array{int16_t(f.left() * 15), int16_t(f.top() * 15), int16_t(f.width() * 15), int16_t(f.height() * 15)}));
    EXPECT_EQ(Settings.MainWindowState, 0);

    // The default: the middle two thirds of the screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect middle(screen.width() / 6, screen.height() / 6, screen.width() * 2 / 3, screen.height() * 2 / 3);
    const std::array<int16_t, 4> unusable[] = {{-30000, 0, 9000, 6000}, {30000, 30000, 9000, 6000}, {1500, 1500, 0, 6000}};
    for (const auto& p : unusable) {
        w->ToTray();
        Settings.MainLeft = p[0];
        Settings.MainTop = p[1];
        Settings.MainWidth = p[2];
        Settings.MainHeight = p[3];
        Settings.MainWindowState = 7;  // unknown: restores as normal
        w->ToggleTray();
        EXPECT_EQ(w->frameGeometry(), middle) << p[0] << " " << p[2];
        EXPECT_FALSE(w->isMaximized());
    }
}

TEST_F(MainWindowLife, RightClickOpensTheTrayMenuAtTheCursor)
{
    Load();
    auto* menu = new QMenu(w.get());
    menu->setObjectName(QStringLiteral("mTray"));
    menu->addAction(QStringLiteral("&Anzeigen"));
    w->QVTrayIcon1_MouseUp(1);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(w->isVisible());
    menu->hide();
    delete menu;
    w->QVTrayIcon1_MouseUp(1);  // no menu: nothing happens
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowLife, ClosingFadesOutAndStoresWhereItStood)
{
    const struct { bool play, pause; int32_t track; int16_t paused; } rows[] = {
        {true, false, 2, 0}, {true, true, 2, 1}, {false, false, -1, 0}};
    for (const auto& r : rows) {
        Fresh();
        Settings.CloseToTray = SwitchOff;
        Settings.LastPaused = 0;
        exits = 0;
        fade.clear();
        Load();
        w->SetVol(16384);
        if (r.play) {
            w->AudioPlay(2);
            Advance(3.0);
            if (r.pause) w->Command(QStringLiteral("Audio:Pause"));
        }
        const double at = ChannelPosition(-1, w->Channel);
        w->close();
        EXPECT_EQ(exits, 1);
        EXPECT_EQ(Settings.LastTrack, r.track);
        EXPECT_EQ(Settings.SavedVolume, 16384);
        EXPECT_FALSE(w->tmrHotKeys->isActive() || w->tmrActualizeDisp->isActive());
        if (!r.play) {
            EXPECT_TRUE(fade.empty());
            continue;
        }
        EXPECT_NEAR(Settings.LastPosition, at, 1e-9);
        EXPECT_EQ(Settings.LastPaused, r.paused);
        // A hundredth of 16384 (163.84) every 20 ms, down to less than a step:
        // the volume is read back whole, and a request below 0 is not applied.
        ASSERT_GE(fade.size(), 99u);
        ASSERT_LE(fade.size(), 101u);
        EXPECT_NEAR(fade[0], 16384 - 163.84, 1.0);
        for (size_t i = 1; i < fade.size(); ++i) EXPECT_NEAR(fade[i - 1] - fade[i], 163.84, 1.0) << i;
        EXPECT_LT(fade.back(), 164);
    }
}

TEST_F(MainWindowLife, HotKeysActOnceWaitHalfASecondAndFollowTheirOrder)
{
    Load();
    Settings.HotKeyVolPlus = QStringLiteral("17 + 18 + 38 + 162 + 164");
    const std::vector<int> up = {164, 38, 17, 162, 18};  // any order: the same text
    // A fraction of a second at the first press: the guard still lasts 0.5 s.
    now = 1000.4;
    w->SetVol(10000);
    const struct { double at; bool hold; float volume; } ticks[] = {
        {0.00, true, 11000}, {0.15, true, 11000}, {0.45, true, 11000}, {0.55, true, 12000},
        {0.60, true, 13000}, {0.65, false, 13000}, {0.70, true, 14000},
    };
    for (const auto& t : ticks) {
        now = 1000.4 + t.at;
        held = t.hold ? up : std::vector<int>{};
        w->tmrHotKeys_Timer();
        EXPECT_EQ(w->CurrentVolume(), t.volume) << t.at;
    }

    // Equal texts all act, VolPlus before VolMinus; at 32000 VolPlus gives 32768.
    Settings.HotKeyVolMinus = Settings.HotKeyVolPlus;
    w->SetVol(32000);
    held = {};
    w->tmrHotKeys_Timer();
    held = up;
    w->tmrHotKeys_Timer();
    EXPECT_EQ(w->CurrentVolume(), 31768);

    // ShowMe toggles the tray; an empty text never acts.
    Settings.HotKeyVolPlus = Settings.HotKeyVolMinus = QString();
    Settings.HotKeyShowMe = QStringLiteral("17 + 36");
    Settings.HotKeyStop = QString();
    held = {36, 17};
    w->tmrHotKeys_Timer();
    EXPECT_TRUE(InTray());
    held = {};
    now += 5;
    w->tmrHotKeys_Timer();
    EXPECT_TRUE(InTray());

    EXPECT_FALSE(w->SetHotKeyTimer(true));
    EXPECT_TRUE(w->SetHotKeyTimer(false));
}

TEST_F(MainWindowLife, TitleBalloonNamesTitleArtistAndAlbum)
{
    LibraryEntry bare;
    bare.FileName = Tone("a.wav");
    bare.Tags.Title = QStringLiteral("Ohne");
    MakeLibrary({bare});
    w->Form_Load();
    const struct { int32_t index; bool on; const char* balloon; } rows[] = {
        {0, true, "Alpha|by 'Ann' from 'First' "},
        {1, true, "Beta|by 'Bob'  "},
        {2, true, "Long|from 'Far' "},
        {3, true, "Ohne|keine Informationen vorhanden "},
        {0, false, nullptr},
    };
    for (const auto& r : rows) {
        balloons.clear();
        Settings.ShowTrayBalloon = r.on ? SwitchOn : SwitchOff;
        w->AudioPlay(r.index);
        EXPECT_EQ(balloons, r.balloon ? QStringList{QString::fromUtf8(r.balloon)} : QStringList{}) << r.index;
    }
}

} // namespace
