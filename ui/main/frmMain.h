// frmMain: the main window, the hub of the program. Other windows and the
// start procedure reach it through MainWindow() and send it command strings
// (Command), start titles (AudioPlay) and set the volume (SetVol).
//
// Layout is kept in twips per control, as the layout rules are written in
// them, and turned into pixels with the window's logical dpi.
#pragma once

#include "controls/QV_ListControl.h"
#include "core/Hooks.h"
#include "core/HotKeys.h"
#include "core/LibraryTypes.h"
#include "platform/MouseWheel.h"
#include "ui/dialogs/OptionsHost.h"
#include "ui/dialogs/TagEditorHost.h"

#include <QEvent>
#include <QMainWindow>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QTreeWidget;
class QV_HoverLabel;
class LibraryCheckPage;
class QVTrayIcon;
class QCloseEvent;

class frmMain : public QMainWindow,
                public QV_ListControlHost,
                public TagEditorHost,
                public OptionsHost,
                public WheelScroller
{
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // ---- Commands and views ----
    // Runs a command string; false when the string is no command.
    bool Command(const QString& cmd);
    // Sees each command string as Command receives it; tests set it to learn
    // which command a control sends. Empty in the program.
    std::function<void(const QString&)> CommandSeen;
    // Shows the library pane alone.
    void SetAudioMode();

    // ---- Playback ----
    // Starts the title with that library index on the idle slot (-1: idle display, fade out).
    // A resumed title (the last one, taken up at start) is not counted again.
    void AudioPlay(int32_t index, bool resumed = false);
    // The now-playing queue becomes a copy of the view.
    void SetPlayingFromView();
    // Random pair swaps over the whole queue.
    void ShufflePlaying();
    // Clamps to 0..32768 and applies to both slots (a slot fading in gets it as its target).
    void SetVol(int32_t vol);
    float CurrentVolume() const { return Volume; }

    // ---- Ticks ----
    void tmrActualizeDisp_Timer();  // display, every 100 ms
    void tmrAudioSys_Timer();       // fades and spectrum, every 10 ms

    // ---- Library list host ----
    void KeyDown(int& keyCode, int& shift) override;
    bool NeedData(qint32 index, QList<ListCell>& data, ListCell& key) override;
    void QV_ListControl1_ItemSelect(qint32 index, int column, const ListCell& key);
    void ScrollUp() override;
    void ScrollDown() override;
    void SetPlayingHighlight(bool show);
    void LoadColumnVisibility();
    // A duration in German words: the largest unit reaching 1, two places ("1,5 Minuten").
    static QString TimeToText(double seconds);

    // ---- The tag editor's view of the list ----
    int32_t SelectedIndex() override;
    void SetSelectedIndex(int32_t row) override;
    int32_t ItemCount() override;
    int32_t SelectedKey() override;
    void SetTagEditorOpen(bool open) override { TagEditorOpen = open; }
    void RecordChanged(int32_t index) override;

    // Lays the panes out for the client area (runs on every resize).
    void Form_Resize();
    // Whether every record's search text is made (in idle time after the window shows).
    bool SearchTextReady() const;
    // The search box's text at start: shown, not searched, until the text changes.
    static QString SearchPlaceholder() { return QStringLiteral("(Suchbegriff)"); }

    // ==== Life of the window, tray and hot keys (frmMainLifecycle.cpp, frmMainHotKeys.cpp) ====
    // The start's loading of the window: tray icon, tree, volume, place, tray
    // state, toggles, first view, mini player.
    void Form_Load();
    // Hides the window into the tray; without a tray host it only minimises.
    void ToTray();
    // Left click on the tray icon: back from the tray, or into it.
    void ToggleTray();
    void QVTrayIcon1_MouseUp(int button);
    // The program's own close ("B&eenden"): never only hides, ends the program when idle.
    void Unload();
    // Stores volume, last title, position and pause state in Settings (the
    // close and a session end); true when a title was playing.
    bool StoreExitState();
    // The 50 ms hot-key tick; SetHotKeyTimer returns whether it ran before.
    void tmrHotKeys_Timer();
    bool SetHotKeyTimer(bool enabled) override;

    QVTrayIcon* QVTrayIcon1;
    QTimer* tmrHotKeys;
    // ==== end of life of the window ====

    // Menu entries are found by objectName; indexed ones carry the index
    // after the name ("mAudioRate3"). Nullptr when the entry is absent.
    QAction* MenuAction(const QString& name, int index = -1) const;
    QMenu* PopupMenu(const QString& name) const;

    // ---- What the options page needs ----
    void ReapplySettings() override;
    void RefreshToggleStates() override;
    QWidget* DialogOwner() override { return this; }
    QWidget* OptionsPageFrame() override { return frOptions; }

    // ---- Menus, tree, toggles and queue editing ----
    // The menus as children of the window, each found by its name.
    void BuildMenus();
    void ToggleCrossfader();
    void ToggleShuffle();
    void ToggleIntro();
    void ToggleRepeatAll();
    void ToggleRepeatTitle();
    void ToggleColumn(int column);
    void ExportView();
    void ReloadLibrary();
    void PlaySelectedNow();
    void PlaySelectedNext();
    void ReplacePlaying();
    // Rates the playing title, or the selected row's; nothing while that is no title.
    void RatePlaying(int rating);
    void RateSelected(int rating);
    // The selected row's library index when it is a title, else -1.
    int32_t SelectedTitle() const;

    // ---- Public state ----
    int16_t Channel = 0;        // the active playback slot
    int32_t CurrentTrack = -1;  // library index playing, -1 none
    bool TagEditorOpen = false; // set by the tag editor while it is open

    // ---- Controls (objectName = member name) ----
    QWidget* frTop;
    QWidget* Picture1;
    QLabel* lblTitle;
    QLabel* lblArtistAlbum;
    QLabel* Label5;
    QWidget* frSeek;
    QWidget* shSeekBkg;
    QWidget* shSeek;
    QLabel* lblTimeElapsed;
    QLabel* lblTimeMax;
    QLineEdit* txtSearch;
    QWidget* frVol;
    QWidget* shVol;
    QLabel* Label3;
    QV_HoverLabel* Label15;
    QV_HoverLabel* Label16;
    QV_HoverLabel* Label17;
    QV_HoverLabel* Label18;
    QV_HoverLabel* Label19;
    QV_HoverLabel* Label20;
    QWidget* frOverview;
    QWidget* imgOverview;
    QTreeWidget* Functions;  // node key in Qt::UserRole
    QWidget* picPL;
    QLabel* lblPLTitle;
    QLabel* lblPLDetails;
    QWidget* frMusicLibrary;
    QV_ListControl* QV_ListControl1;
    QWidget* frOptions;
    QWidget* imgOptTop;
    QWidget* frAudioOrganize;
    LibraryCheckPage* OrganizePage;
    QWidget* frAudioOverview;
    QTimer* tmrActualizeDisp;
    QTimer* tmrAudioSys;

    // A control's place in twips, as last set (left, top, width, height).
    struct TwipRect {
        double Left = 0, Top = 0, Width = 0, Height = 0;
    };
    TwipRect Twips(const QWidget* control) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Life of the window
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    using CommandHandler = void (frmMain::*)();
    struct CommandEntry {
        const char16_t* name;
        CommandHandler handler;
    };
    static const CommandEntry kCommands[];

    void BuildControls();
    void Place(QWidget* control, double left, double top, double width, double height);
    void SetLeft(QWidget* control, double v);
    void SetTop(QWidget* control, double v);
    void SetWidth(QWidget* control, double v);
    void SetHeight(QWidget* control, double v);
    void ApplyPlace(QWidget* control);

    // Commands
    // Hides every pane but `shown`, which is shown and takes the focus a hidden pane held.
    void HideFrames(QWidget* shown);
    void SelectNode(const QString& key);
    void SetViewCount(qint32 count);
    void ShowPlaying(bool playing);
    void CmdAudioLibrary();
    void CmdPause();
    void CmdStop();
    void CmdNext();
    void CmdPrev();
    void CmdVolPlus();
    void CmdVolMinus();
    void CmdAudioProp();
    void CmdOptions();
    void CmdPL();
    void CmdAudioPlaying();
    // The view := a copy of the queue named "Jukebox", its tree node selected; no pane changes.
    void ShowQueueInView();
    void CmdAudioOrganize();
    void CmdDynamic(const QString& cmd);

    // Display
    void ShowIdleDisplay();
    void ShowArtistAlbum(const QString& text);
    // After a title that could not be opened: on to the next, or idle when none is left to try.
    void PassOverUnplayable();
    void SetTitleFont(bool playing);
    void DrawVolumeBar();
    void frSeek_Mouse(QEvent::Type type, int buttons, double x);
    void CancelSeekDrag();
    void frVol_Mouse(int buttons, double y);

    // List
    void QV_ListControl1_ItemCountChange();
    void QV_ListControl1_ItemDblClick(const ListCell& key);
    void QV_ListControl1_ItemKeyDown(int keyCode, qint32 index, const ListCell& key);
    void QV_ListControl1_ItemMouseUp(qint32 row, int column, const ListCell& key, int button, int shift);
    void QV_ListControl1_HeaderMouseUp(qint32 column, int button);
    void PlayViewFrom(int32_t key);

    // Search box
    void txtSearch_Change();
    void ShowSearchResult();  // the view becomes the search box's result
    bool txtSearch_Event(QEvent* event);
    // An enabled menu entry has this key as its shortcut.
    bool IsMenuShortcut(const QKeyEvent& key) const;
    void PrepareSearchSlice();

    void OnLibraryReplaced(const LibraryDatabase& previous);

    // Life of the window
    void BuildLifecycle();
    void Form_QueryUnload(bool& cancel, int unloadMode);
    void Form_Unload(bool& cancel);
    void Form_ResizeState();
    void MoveToSavedPlace();
    // MainLeft to MainHeight from an outer rectangle in pixels.
    void StoreOuterPlace(const QRect& outer);
    void FadeOutOnExit();
    HotKeyPoll hotKeyPoll_;
    std::shared_ptr<class MiniPlayerHost> miniPlayerLink_;  // what the mini player reaches
    bool unloadByProgram_ = false;
    QSize pendingOuterSize_;  // restored outer size, applied once the frame is known

    float Volume = 0;
    int32_t TrackLength = 0;
    bool WasPlaying = false;
    bool titleRunUnreported_ = false;  // a title started whose running is not yet reported
    int32_t RememberedTrack = 0;  // the display tick's last known title
    QSet<int32_t> unplayable_;    // titles that failed to open since the last that opened
    int32_t contextTitle_ = -1;   // the title under the open context menu
    int32_t MenuTitle() const;
    bool seekDragging_ = false;
    bool searchFocusByMouse_ = false;
    qsizetype searchTextMade_ = 0;
    QTimer* searchTextTimer_;
    std::unordered_map<const QWidget*, TwipRect> twips_;
    Subscription captionSub_;
    Subscription libraryReplacedSub_;
};

// The one main window; nullptr while none exists.
frmMain* MainWindow();

// ---- Life of the window ----
// The program's exit procedure, which lives above the windows; the start sets it.
void SetExitProgram(std::function<void()> exitProgram);
void CallExitProgram();
// The pause between the exit fade's steps; tests replace it (empty: real sleep).
void SetFadeSleep(std::function<void(int ms)> sleep);
// The primary screen's size in twips (800 x 600 pixels without a screen).
QSizeF PrimaryScreenTwips();
