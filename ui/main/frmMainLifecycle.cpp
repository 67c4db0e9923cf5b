// The main window's life: loading, the tray, the window's place, closing with
// the fade-out, and the tag editor's view of the main list.
#include "ui/main/frmMain.h"

#include "audio/fmodAudio.h"
#include "controls/QVTrayIcon.h"
#include "controls/QV_HoverLabel.h"
#include "core/Busy.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/TagSave.h"
#include "core/UiServices.h"
#include "core/Units.h"
#include "core/VbHelpers.h"
#include "platform/WindowPlace.h"
#include "ui/dialogs/frmMiniPlayer.h"
#include "ui/main/OtherWindows.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <limits>

namespace {

constexpr uint32_t kStripColor = 0xBD8250;

std::function<void()>& ExitHook()
{
    static std::function<void()> hook;
    return hook;
}

std::function<void(int)>& SleepHook()
{
    static std::function<void(int)> hook;
    return hook;
}

void FadeSleep(int ms)
{
    if (SleepHook()) SleepHook()(ms);
    else QThread::msleep(static_cast<unsigned long>(ms));
}

// A geometry value as the settings hold it; nothing outside their range.
bool StoreTwips(int16_t& field, double twips)
{
    const double v = RoundHalfEven(twips);
    if (!(v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max())) return false;
    field = static_cast<int16_t>(v);
    return true;
}

bool OnSomeScreen(const QRect& r)
{
    for (const QScreen* s : QGuiApplication::screens())
        if (s->geometry().intersects(r)) return true;
    return false;
}

} // namespace

// What the mini player's buttons reach of the window.
class MiniPlayerLink : public MiniPlayerHost {
public:
    explicit MiniPlayerLink(frmMain& w) : w_(w) {}
    ~MiniPlayerLink() override { SetMiniPlayerHost(nullptr); }
    bool Command(const QString& command) override { return w_.Command(command); }
    void AudioPlay(int32_t index) override { w_.AudioPlay(index); }
    void SetVol(int32_t volume) override { w_.SetVol(volume); }
    void ToggleTray() override { w_.ToggleTray(); }

private:
    frmMain& w_;
};

void SetExitProgram(std::function<void()> exitProgram)
{
    ExitHook() = std::move(exitProgram);
}

void CallExitProgram()
{
    if (ExitHook()) ExitHook()();
}

void SetFadeSleep(std::function<void(int)> sleep)
{
    SleepHook() = std::move(sleep);
}

QSizeF PrimaryScreenTwips()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize px = screen ? screen->size() : QSize(800, 600);
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return {PixelsToTwips(px.width(), dpi), PixelsToTwips(px.height(), dpi)};
}

// Parts of the window that exist from its construction on, like the other controls.
void frmMain::BuildLifecycle()
{
    QVTrayIcon1 = new QVTrayIcon(this);
    QVTrayIcon1->setObjectName(QStringLiteral("QVTrayIcon1"));
    connect(QVTrayIcon1, &QVTrayIcon::MouseUp, this, [this](int button) { QVTrayIcon1_MouseUp(button); });

    tmrHotKeys = new QTimer(this);
    tmrHotKeys->setObjectName(QStringLiteral("tmrHotKeys"));
    tmrHotKeys->setInterval(50);
    connect(tmrHotKeys, &QTimer::timeout, this, [this] { tmrHotKeys_Timer(); });
    tmrHotKeys->start();
}

void frmMain::Form_Load()
{
    miniPlayerLink_ = std::make_shared<MiniPlayerLink>(*this);
    SetMiniPlayerHost(miniPlayerLink_.get());
    QVTrayIcon1->AddIcon(DataFile(QStringLiteral("Tray.ico")),
                         QStringLiteral("Klicken Sie hier um Sarovin ein-/auszublenden."));
    LoadFunctionTree();
    Volume = float(ClampVolume(Settings.SavedVolume));
    for (QV_HoverLabel* b : {Label16, Label17, Label18, Label19, Label20, Label15}) b->SetBackColor(kStripColor);
    MoveToSavedPlace();
    if (IsOn(Settings.InTray)) {
        // Without a tray there is no way back to a hidden window: the start shows it.
        if (TrayHostAvailable()) ToTray();
        else Settings.InTray = SwitchOff;
    }
    ShowToggleStates();
    Command(Settings.LastTrack < 0 ? QStringLiteral("AudioLibrary") : QStringLiteral("AudioPlaying"));
    LoadMiniPlayer();
}

// The stored outer rectangle; one that is empty or on no screen gives way to
// the place a reset would choose. Either is made to fit the screen's free
// area, and the place it then has is the one stored.
void frmMain::MoveToSavedPlace()
{
    const double dx = logicalDpiX(), dy = logicalDpiY();
    const auto toRect = [&](double l, double t, double w, double h) {
        return QRect(TwipsToPixels(l, dx), TwipsToPixels(t, dy), TwipsToPixels(w, dx), TwipsToPixels(h, dy));
    };
    QRect outer = toRect(Settings.MainLeft, Settings.MainTop, Settings.MainWidth, Settings.MainHeight);
    if (outer.isEmpty() || !OnSomeScreen(outer)) {
        const QSizeF screen = PrimaryScreenTwips();
        const WindowPlace p = DefaultMainWindowPlace(screen.width(), screen.height());
        outer = toRect(p.Left, p.Top, p.Width, p.Height);
    }
    const QRect asked = outer;
    outer = InsideScreen(outer, true);
    if (outer != asked) StoreOuterPlace(outer);
    const QSize frame = frameGeometry().size() - size();
    move(outer.topLeft());
    resize(outer.size() - frame);
    // Before the desktop has framed the window its frame is unknown; the size
    // is set again once it is, so the window does not grow with every start.
    pendingOuterSize_ = frame.isEmpty() ? outer.size() : QSize();
    // Some desktops never frame the window: then it is taken as it is.
    if (pendingOuterSize_.isValid()) QTimer::singleShot(2000, this, [this] { pendingOuterSize_ = QSize(); });
}

void frmMain::ToTray()
{
    if (!TrayHostAvailable()) {
        if (isVisible() && !isMinimized()) showMinimized();
        return;
    }
    hide();
    if (isVisible()) return;
    Settings.InTray = SwitchOn;
}

void frmMain::QVTrayIcon1_MouseUp(int button)
{
    if (button == 0 && IsOn(Settings.InTray)) {
        const bool maximised = Settings.MainWindowState == 2;
        setWindowState(maximised ? Qt::WindowMaximized : Qt::WindowNoState);
        if (!maximised) MoveToSavedPlace();
        Settings.InTray = SwitchOff;
        show();
        raise();
        activateWindow();
    } else if (button == 0 && isMinimized() && !TrayHostAvailable()) {
        // Without a tray, "to the tray" only minimised: the way back undoes that.
        setWindowState(Settings.MainWindowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
        show();
        activateWindow();
    } else if (button == 0) {
        ToTray();
    } else if (button == 1) {
        if (QMenu* menu = PopupMenu(QStringLiteral("mTray"))) menu->popup(QCursor::pos());
    }
}

void frmMain::ToggleTray()
{
    QVTrayIcon1_MouseUp(0);
}

bool frmMain::event(QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool result = QMainWindow::event(event);
    // Show too: the first place reaches the window before its frame does.
    if (type == QEvent::WindowStateChange || type == QEvent::Resize || type == QEvent::Move || type == QEvent::Show)
        Form_ResizeState();
    return result;
}

// Minimising may go to the tray; otherwise the state and, in the normal
// state, the outer rectangle are kept for the next start.
void frmMain::Form_ResizeState()
{
    if (isMinimized()) {
        // After the state change is done: hiding inside it would be undone by
        // the showing that minimises.
        if (IsOn(Settings.MinimizeToTray))
            QMetaObject::invokeMethod(this, [this] { if (isMinimized()) ToTray(); }, Qt::QueuedConnection);
        return;
    }
    if (!isVisible()) return;
    Settings.MainWindowState = isMaximized() ? 2 : 0;
    if (Settings.MainWindowState != 0) return;
    const QRect outer = frameGeometry();
    if (pendingOuterSize_.isValid()) {
        const QSize frame = outer.size() - size();
        if (frame.isEmpty()) return;
        const QSize inner = pendingOuterSize_ - frame;
        pendingOuterSize_ = QSize();
        resize(inner);
        return;
    }
    StoreOuterPlace(outer);
}

void frmMain::StoreOuterPlace(const QRect& outer)
{
    const double dx = logicalDpiX(), dy = logicalDpiY();
    StoreTwips(Settings.MainHeight, PixelsToTwips(outer.height(), dy));
    StoreTwips(Settings.MainWidth, PixelsToTwips(outer.width(), dx));
    StoreTwips(Settings.MainLeft, PixelsToTwips(outer.left(), dx));
    StoreTwips(Settings.MainTop, PixelsToTwips(outer.top(), dy));
}

void frmMain::Unload()
{
    unloadByProgram_ = true;
    close();
    unloadByProgram_ = false;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // A session end saves and exits on its own path.
    if (SessionEnding()) {
        event->accept();
        return;
    }
    bool cancel = false;
    Form_QueryUnload(cancel, unloadByProgram_ ? 1 : 0);
    if (!cancel) Form_Unload(cancel);
    event->setAccepted(!cancel);
}

void frmMain::Form_QueryUnload(bool& cancel, int unloadMode)
{
    if (unloadMode == 0 && IsOn(Settings.CloseToTray)) {
        ToTray();
        cancel = true;
    }
}

void frmMain::Form_Unload(bool& cancel)
{
    // A tag save need not be waited for: the exit ends it and keeps the edit marked.
    if (IsBusy() && !TagSaveRunning()) {
        MsgBox(QStringLiteral("Sarovin kann zur Zeit nicht beendet werden.\r\n"
                              "Der Player ist beschäftigt.\r\n"
                              "-> Der Player wird nun in den Tray minimiert."),
               48);
        ToTray();
        cancel = true;
        return;
    }
    hide();
    tmrActualizeDisp->stop();
    tmrHotKeys->stop();
    UnloadMiniPlayer();
    QVTrayIcon1->RemoveIcon();
    Pump();
    if (StoreExitState()) FadeOutOnExit();
    CallExitProgram();
}

bool frmMain::StoreExitState()
{
    Settings.SavedVolume = RoundToInt32(Volume);
    if (!ChannelIsPlaying(Channel)) {
        Settings.LastTrack = -1;
        return false;
    }
    Settings.LastPosition = ChannelPosition(-1, Channel);
    Settings.LastTrack = CurrentTrack;
    Settings.LastPaused = int16_t(ChannelPaused(-1, Channel));
    return true;
}

// A hundredth of the volume every 20 ms, without pumping: nothing else runs
// while the title fades. Stops when the volume no longer changes.
void frmMain::FadeOutOnExit()
{
    int32_t v = ChannelVolume(-1, Channel);
    const double step = std::max(v / 100.0, 1.0);
    while (v > 0) {
        const int32_t previous = v;
        v = ChannelVolume(float(v - step), Channel);
        if (v == previous) break;
        FadeSleep(20);
    }
}
