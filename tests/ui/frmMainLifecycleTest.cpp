// The main window's life: the tray, closing, the exit fade, the window's
// place and the hot-key tick.
#include "MainWindowTestSupport.h"

#include "core/Busy.h"

#include <QMenu>
#include <QScreen>

namespace {

class MainWindowLife : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetTrayHostCheck([this] { return trayHost; });
        SetExitProgram([this] { ++exits; });
        SetFadeSleep([this](int) { fade.push_back(ChannelVolume(-1, w->Channel)); });
        SetKeySource([this] { return held; });
        Settings.MainLeft = Settings.MainTop = 1500;
        Settings.MainWidth = 9000;
        Settings.MainHeight = 6000;
    }
    // A new window, loaded and shown as the start leaves it; no sound left from before.
    void Load()
    {
        NewWindow();
        StopSound(0);
        StopSound(1);
        MakeLibrary();
        w->Form_Load();
        w->tmrHotKeys->stop();
        if (!IsOn(Settings.InTray)) w->show();
    }
    static auto Place()
    {
        return std::tie(Settings.MainLeft, Settings.MainTop, Settings.MainWidth, Settings.MainHeight);
    }
    using Rect = std::tuple<int16_t, int16_t, int16_t, int16_t>;

    bool trayHost = true;
    int exits = 0;
    std::vector<int32_t> fade;
    std::vector<int> held;
};

TEST_F(MainWindowLife, ClosingMinimisingAndTheTrayIcon)
{
    enum Act { CloseBox, Unload, Minimise, LeftClick, LeftClickTwice, RightClick, TrayExit };
    const struct { const char* name; Act act; bool closeToTray, minimizeToTray, busy, host, visible, inTray; int exits; }
        rows[] = {
        {"close box to tray", CloseBox, true, false, false, true, false, true, 0},
        {"close box ends", CloseBox, false, false, false, true, false, false, 1},
        {"B&eenden ends", Unload, true, false, false, true, false, false, 1},
        {"busy: refused into the tray", Unload, false, false, true, true, false, true, 0},
        {"tray exit while busy ends nothing", TrayExit, false, false, true, true, false, true, 0},
        {"minimise to tray", Minimise, false, true, false, true, false, true, 0},
        {"minimise stays", Minimise, false, false, false, true, true, false, 0},
        {"click hides", LeftClick, false, false, false, true, false, true, 0},
        {"click and back", LeftClickTwice, false, false, false, true, true, false, 0},
        {"right click: the tray menu", RightClick, false, false, false, true, true, false, 0},
        {"no tray host: only minimised", CloseBox, true, false, false, false, true, false, 0},
        {"no tray host, click", LeftClick, false, false, false, false, true, false, 0},
        {"no tray host, click and back", LeftClickTwice, false, false, false, false, true, false, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Settings.CloseToTray = r.closeToTray ? SwitchOn : SwitchOff;
        Settings.MinimizeToTray = r.minimizeToTray ? SwitchOn : SwitchOff;
        Settings.InTray = SwitchOff;
        trayHost = r.host;
        exits = 0;
        shown.clear();
        Load();
        QMenu* menu = w->PopupMenu("mTray");
        std::optional<BusyGuard> busy;
        if (r.busy) busy.emplace();
        switch (r.act) {
        case CloseBox: w->close(); break;
        case Unload: w->Unload(); break;
        case Minimise: w->showMinimized(); QCoreApplication::processEvents(); break;
        case LeftClick: w->ToggleTray(); break;
        case LeftClickTwice: w->ToggleTray(); w->ToggleTray(); break;
        case RightClick: w->QVTrayIcon1_MouseUp(1); break;
        case TrayExit: Trigger("mTrayExit"); break;
        }
        EXPECT_EQ(w->isVisible(), r.visible);
        EXPECT_EQ(w->isVisible() && w->isMinimized(),
                  r.visible && (r.act == Minimise || (!r.host && r.act != LeftClickTwice)));
        EXPECT_EQ(IsOn(Settings.InTray), r.inTray);
        EXPECT_EQ(exits, r.exits);
        EXPECT_EQ(menu->isVisible(), r.act == RightClick);
        EXPECT_EQ(shown.join(""), r.busy ? "48|Sarovin|Sarovin kann zur Zeit nicht beendet werden.\r\nDer Player ist "
                                           "beschäftigt.\r\n-> Der Player wird nun in den Tray minimiert." : "");
    }
}

TEST_F(MainWindowLife, PlaceIsKeptAndMaximisedComesBackMaximised)
{
    Load();
    EXPECT_EQ(w->frameGeometry(), QRect(100, 100, 600, 400));  // the outer rectangle, frame included
    w->setGeometry(30, 40, 500, 300);
    const QRect f = w->frameGeometry();
    EXPECT_EQ(Place(), Rect(f.left() * 15, f.top() * 15, f.width() * 15, f.height() * 15));
    const Rect normal = Place();
    w->showMaximized();
    EXPECT_EQ(Settings.MainWindowState, 2);
    EXPECT_EQ(Place(), normal);
    w->ToggleTray();
    w->ToggleTray();
    EXPECT_TRUE(w->isVisible() && w->isMaximized());

    // Empty or on no screen: the middle two thirds of the screen; an unknown state restores as normal.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect middle(screen.width() / 6, screen.height() / 6, screen.width() * 2 / 3, screen.height() * 2 / 3);
    for (const Rect& p : {Rect{-30000, 0, 9000, 6000}, {30000, 30000, 9000, 6000}, {1500, 1500, 0, 6000}}) {
        w->ToTray();
        Place() = p;
        Settings.MainWindowState = 7;
        w->ToggleTray();
        EXPECT_EQ(w->frameGeometry(), middle) << std::get<0>(p) << " " << std::get<2>(p);
    }
}

// A stored window larger than the screen's free area shrinks to it, inside
// it, and is stored so, also by a start that stays in the tray; one that fits
// keeps its size.
TEST_F(MainWindowLife, TooLargeAPlaceIsFittedToTheScreenAndStoredSo)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const auto twips = [](const QRect& r) { return Rect(r.left() * 15, r.top() * 15, r.width() * 15, r.height() * 15); };
    const struct { const char* name; QRect stored, shown; } rows[] = {
        {"too wide", {30, 20, area.width() + 41, 400}, {area.left(), area.top() + 20, area.width(), 400}},
        {"too large", {30, 20, area.width() + 41, area.height() + 1}, area},
        {"fits", {30, 20, 600, 400}, {30, 20, 600, 400}},
    };
    for (const bool inTray : {false, true}) {
        for (const auto& r : rows) {
            SCOPED_TRACE(std::string(r.name) + (inTray ? " in the tray" : ""));
            Settings.InTray = inTray ? SwitchOn : SwitchOff;
            Place() = twips(r.stored);
            Load();
            EXPECT_EQ(w->frameGeometry(), r.shown);
            EXPECT_EQ(Place(), twips(r.shown));
        }
    }
}

TEST_F(MainWindowLife, ClosingFadesOutAndStoresWhereItStood)
{
    const struct { bool play, pause; int32_t track; int16_t paused; } rows[] = {
        {true, false, 2, 0}, {true, true, 2, 1}, {false, false, -1, 0}};
    for (const auto& r : rows) {
        Settings.CloseToTray = SwitchOff;
        exits = 0;
        fade.clear();
        Load();
        w->SetVol(16384);
        if (r.play) w->AudioPlay(2);
        Advance(3.0);
        if (r.pause) w->Command("Audio:Pause");
        const double at = ChannelPosition(-1, w->Channel);
        w->close();
        EXPECT_EQ(std::tuple(exits, Settings.LastTrack, Settings.SavedVolume), std::tuple(1, r.track, 16384));
        EXPECT_FALSE(w->tmrHotKeys->isActive() || w->tmrActualizeDisp->isActive());
        EXPECT_EQ(fade.empty(), !r.play);
        if (!r.play) continue;
        EXPECT_EQ(std::pair(Settings.LastPosition, Settings.LastPaused), std::pair(at, r.paused));
        // 163.84 every 20 ms to below one step: the volume reads back whole
        // and a request below 0 is not applied.
        ASSERT_TRUE(fade.size() >= 99u && fade.size() <= 101u) << fade.size();
        for (size_t i = 0; i < fade.size(); ++i) EXPECT_NEAR((i ? fade[i - 1] : 16384) - fade[i], 163.84, 1.0) << i;
        EXPECT_LT(fade.back(), 164);
    }
}

// What each hot key does is in the wiring table; here a held one waits half a second.
TEST_F(MainWindowLife, HeldHotKeyWaitsHalfASecond)
{
    Load();
    Settings.HotKeyVolPlus = "17 + 38";
    w->SetVol(10000);
    held = {38, 17};
    for (const auto& [at, volume] : {std::pair{0.0, 11000.f}, {0.45, 11000.f}, {0.55, 12000.f}, {0.6, 13000.f}}) {
        now = 1000.4 + at;
        w->tmrHotKeys_Timer();
        EXPECT_EQ(w->CurrentVolume(), volume) << at;
    }
}

} // namespace
