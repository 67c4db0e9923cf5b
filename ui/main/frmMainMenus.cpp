// The main window's menus, navigation tree, toggles, export, library reload
// and the editing of the now-playing queue from the list's context menu.
#include "ui/main/frmMain.h"

#include "controls/QV_HoverLabel.h"
#include "core/Busy.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/PlayingQueue.h"
#include "core/PlaylistExport.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "ui/main/MainMenus.h"
#include "ui/main/OtherWindows.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr uint32_t kIdleColor = 0xBD8250;
constexpr uint32_t kOnColor = 0xFFC0C0;

QueueItems& Queue()
{
    auto& entries = Library.ListSets[PlayingQueue].Entries;
    if (entries.isEmpty()) entries.append(ListEntry{QString(), {-1}});
    return entries[0].Items;
}

bool IsTitle(int32_t index)
{
    return IsValidLibraryIndex(Library, index) && !Library.Files[index].FileName.isEmpty();
}

void Flip(Switch& value)
{
    value = IsOn(value) ? SwitchOff : SwitchOn;
}

} // namespace

void frmMain::BuildMenus()
{
    setMenuBar(BuildMainMenus(*this));

    // Plain commands, by entry.
    const std::pair<const char*, const char*> commands[] = {
        {"mAudioPlaying", "Audio:Pause"}, {"mAudioNext", "Audio:Next"},     {"mAudioPrev", "Audio:Prev"},
        {"mAudioLibrary", "AudioLibrary"}, {"mAudioProp", "AudioProp"},     {"mTagAutoCap", "AudioOrganize"},
        {"mPLPlaying", "AudioPlaying"},   {"mPLManager", "PL"},            {"mAudioOptions", "Options"},
        {"mTrayPlaying", "Audio:Pause"},  {"mTrayNext", "Audio:Next"},     {"mTrayPrev", "Audio:Prev"},
        {"mCAProp", "AudioProp"},
    };
    for (const auto& [name, command] : commands) {
        const QString cmd = QString::fromLatin1(command);
        if (QAction* a = MenuAction(QString::fromLatin1(name)))
            connect(a, &QAction::triggered, this, [this, cmd] { Command(cmd); });
    }

    const std::pair<const char*, void (frmMain::*)()> handlers[] = {
        {"mAudioCrossfader", &frmMain::ToggleCrossfader},
        {"mAudioRandom", &frmMain::ToggleShuffle},
        {"mAudioIntro", &frmMain::ToggleIntro},
        {"mAudioRepAll", &frmMain::ToggleRepeatAll},
        {"mAudioRepTitle", &frmMain::ToggleRepeatTitle},
        {"mPLExport", &frmMain::ExportView},
        {"mAudioReloadLibrary", &frmMain::ReloadLibrary},
        {"mCAPlay", &frmMain::PlaySelectedNow},
        {"mCAPlayNext", &frmMain::PlaySelectedNext},
        {"mCAReplacePlaying", &frmMain::ReplacePlaying},
    };
    for (const auto& [name, handler] : handlers)
        if (QAction* a = MenuAction(QString::fromLatin1(name)))
            connect(a, &QAction::triggered, this, handler);

    const std::pair<const char*, void (*)()> windows[] = {
        {"mAudioEnableEQU", OpenEqualizer}, {"mDeviceSyncWiz", OpenDeviceWizard}, {"mHelpAbout", OpenInfo}};
    for (const auto& [name, open] : windows)
        if (QAction* a = MenuAction(QString::fromLatin1(name))) connect(a, &QAction::triggered, this, open);

    if (QAction* a = MenuAction(QStringLiteral("mAudioSearch")))
        connect(a, &QAction::triggered, this, [this] {
            txtSearch->setFocus(Qt::ShortcutFocusReason);
            txtSearch->selectAll();
        });
    if (QAction* a = MenuAction(QStringLiteral("mHelpUpdate")))
        connect(a, &QAction::triggered, this, [] { MsgBox(QStringLiteral("Diese Funktion ist nicht verfügbar.")); });

    for (int i = 0; i <= 5; ++i) {
        for (const char* group : {"mAudioRate", "mTrayRate"})
            if (QAction* a = MenuAction(QString::fromLatin1(group), i))
                connect(a, &QAction::triggered, this, [this, i] { RatePlaying(i); });
        if (QAction* a = MenuAction(QStringLiteral("mCARate"), i))
            connect(a, &QAction::triggered, this, [this, i] { RateSelected(i); });
    }
    for (int i = 0; i < 14; ++i)
        if (QAction* a = MenuAction(QStringLiteral("mViewColumn"), i))
            connect(a, &QAction::triggered, this, [this, i] { ToggleColumn(i); });
    if (QMenu* pl = PopupMenu(QStringLiteral("mPL")))
        connect(pl, &QMenu::triggered, this, [this](QAction* a) {
            const QString cmd = DynPlaylistCommand(a);
            if (!cmd.isEmpty()) Command(cmd);
        });

    // The window's own ways to the tray and out.
    const std::pair<const char*, void (frmMain::*)()> window[] = {
        {"mFileToTray", &frmMain::ToTray}, {"mTrayRestore", &frmMain::ToggleTray},
        {"mFileClose", &frmMain::Unload}, {"mTrayExit", &frmMain::Unload}};
    for (const auto& [name, handler] : window)
        if (QAction* a = MenuAction(QString::fromLatin1(name))) connect(a, &QAction::triggered, this, handler);

    // The context menu's entries are for the title under the menu when it opened;
    // the menu hides before its entry's action runs, so the title is let go after that.
    if (QMenu* context = PopupMenu(QStringLiteral("mContextAudio"))) {
        connect(context, &QMenu::aboutToShow, this, [this] { contextTitle_ = SelectedTitle(); });
        connect(context, &QMenu::aboutToHide, this, [this] {
            QTimer::singleShot(0, this, [this] { contextTitle_ = -1; });
        });
    }
    connect(Label20, &QV_HoverLabel::Click, this, &frmMain::ToggleCrossfader);
    connect(Label15, &QV_HoverLabel::Click, this, &frmMain::ToggleShuffle);
    // A click on a node sends its key once; a click beside the nodes does nothing.
    connect(Functions, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { Command(item->data(0, Qt::UserRole).toString()); });
}

void LoadFunctionTree()
{
    if (frmMain* w = MainWindow()) RebuildFunctionTree(*w->Functions, *w);
}

void ShowToggleStates()
{
    frmMain* w = MainWindow();
    if (!w) return;
    const std::pair<const char*, Switch> checks[] = {
        {"mAudioRandom", Settings.Shuffle},       {"mAudioRepAll", Settings.RepeatAll},
        {"mAudioRepTitle", Settings.RepeatTitle}, {"mAudioIntro", Settings.IntroMode},
        {"mAudioCrossfader", Settings.CrossfaderEnabled},
    };
    for (const auto& [name, value] : checks)
        if (QAction* a = w->MenuAction(QString::fromLatin1(name))) a->setChecked(IsOn(value));
    w->Label15->SetBackColor(IsOn(Settings.Shuffle) ? kOnColor : kIdleColor);
    w->Label20->SetBackColor(IsOn(Settings.CrossfaderEnabled) ? kOnColor : kIdleColor);
}

void frmMain::ReapplySettings()
{
    LoadColumnVisibility();
    ShowToggleStates();
}

void frmMain::RefreshToggleStates()
{
    ShowToggleStates();
}

void frmMain::ToggleCrossfader()
{
    Flip(Settings.CrossfaderEnabled);
    ShowToggleStates();
}

void frmMain::ToggleShuffle()
{
    Flip(Settings.Shuffle);
    ShowToggleStates();
    if (IsOn(Settings.Shuffle)) ShufflePlaying();
}

void frmMain::ToggleIntro()
{
    Flip(Settings.IntroMode);
    ShowToggleStates();
}

void frmMain::ToggleRepeatAll()
{
    Flip(Settings.RepeatAll);
    ShowToggleStates();
}

void frmMain::ToggleRepeatTitle()
{
    Flip(Settings.RepeatTitle);
    ShowToggleStates();
}

void frmMain::ToggleColumn(int column)
{
    if (column < 0 || column >= 14) return;
    Flip(Settings.ColumnVisible[column]);
    LoadColumnVisibility();
}

void frmMain::ExportView()
{
    const QStringList filters = {QStringLiteral("XSPF Playlist (*.xml)"), QStringLiteral("M3U-Playlist (*.m3u)"),
                                 QStringLiteral("ASX-Playlist (*.asx)"), QStringLiteral("PLS-Playlist (*.pls)")};
    const SaveFileAnswer answer = AskForSaveFile(QStringLiteral("Speichern unter ..."), filters, 2);
    if (answer.Path.isEmpty()) return;
    const QString title = QStringLiteral("Fehler beim Speichern");
    bool written = false;
    QString reason;
    switch (answer.FilterIndex) {
    case 1: written = SaveXSPF(ViewList, answer.Path, &reason); break;
    case 2: written = SaveM3U(ViewList, answer.Path, &reason); break;
    default:
        // No writer exists for these; saying so beats writing nothing silently.
        MsgBox(QStringLiteral("Dieses Playlistformat ist nicht verfügbar."), 16, title);
        return;
    }
    if (!written) MsgBox(SaveFailedText(answer.Path, reason), 16, title);
}

void frmMain::ReloadLibrary()
{
    if (IsBusy()) {
        ShowBusyMessage();
        return;
    }
    QAction* entry = MenuAction(QStringLiteral("mAudioReloadLibrary"));
    if (entry) entry->setEnabled(false);
    SyncLibrary(1);
    if (entry) entry->setEnabled(true);
}

int32_t frmMain::SelectedTitle() const
{
    if (QV_ListControl1->SelectedIndex() == -1) return -1;
    const ListCell key = QV_ListControl1->SelectedKey();
    if (!key.IsNumber()) return -1;
    const qint64 index = key.Number();
    return IsTitle(int32_t(index)) && index == int32_t(index) ? int32_t(index) : -1;
}

// A new title may rebuild the view while the context menu is open and move the
// selection: its entries act on the title the menu opened on.
int32_t frmMain::MenuTitle() const
{
    return contextTitle_ >= 0 ? contextTitle_ : SelectedTitle();
}

void frmMain::PlaySelectedNow()
{
    const int32_t key = MenuTitle();
    if (key < 0) return;
    QueuePlayNow(Queue(), key);
    AudioPlay(key);
}

void frmMain::PlaySelectedNext()
{
    const int32_t key = MenuTitle();
    if (key >= 0) QueuePlayNext(Queue(), key);
}

void frmMain::ReplacePlaying()
{
    SetPlayingFromView();
    if (IsOn(Settings.Shuffle)) ShufflePlaying();
    QueueItems& queue = Queue();
    // The playing title keeps playing when the new queue holds it.
    if (SwapKeyToHead(queue, CurrentTrack)) return;
    // An empty view gives the empty queue: -1 turns the display idle and fades out.
    if (WasPlaying) AudioPlay(queue.front());
}

void frmMain::RatePlaying(int rating)
{
    if (!IsTitle(CurrentTrack)) return;
    Library.Files[CurrentTrack].Rating = int16_t(rating);
    MarkLibraryChanged();
    QV_ListControl1_ItemSelect(CurrentTrack, 0, ListCell(qint64(CurrentTrack)));
    QV_ListControl1->ForceReNewData(ListCell(qint64(CurrentTrack)));
}

void frmMain::RateSelected(int rating)
{
    const int32_t key = MenuTitle();
    if (!IsTitle(key)) return;
    Library.Files[key].Rating = int16_t(rating);
    MarkLibraryChanged();
    QV_ListControl1_ItemSelect(QV_ListControl1->SelectedIndex(), 0, ListCell(qint64(key)));
    QV_ListControl1->ForceReNewData(ListCell(qint64(key)));
}
