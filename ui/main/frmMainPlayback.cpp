// The main window's command strings, views, playback start, ticks and bars.
#include "ui/main/frmMain.h"

#include "audio/fmodAudio.h"
#include "controls/QVTrayIcon.h"
#include "controls/QV_HoverLabel.h"
#include "core/Clock.h"
#include "core/PlayingQueue.h"
#include "core/Search.h"
#include "core/Settings.h"
#include "core/VbHelpers.h"
#include "ui/main/OtherWindows.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

const QString kIdleTitle = QStringLiteral("keine Wiedergabe");
const QString kPauseGlyph = QStringLiteral(";");
const QString kPlayGlyph = QStringLiteral("4");

// Entry 0 of a list-set slot, made when missing; its Items never empty.
ListEntry& SlotEntry(int slot)
{
    auto& entries = Library.ListSets[slot].Entries;
    if (entries.isEmpty()) entries.resize(1);
    if (entries[0].Items.isEmpty()) entries[0].Items.append(-1);
    return entries[0];
}

int32_t QueueHead()
{
    return SlotEntry(PlayingQueue).Items.front();
}

QString ArtistAlbumText(const QString& artist, const QString& album)
{
    QString text;
    if (!artist.isEmpty()) text = QStringLiteral("by '") + artist + QStringLiteral("' ");
    if (!album.isEmpty()) text += QStringLiteral("from '") + album + QStringLiteral("'");
    return text;
}

// With SAROVIN_REPORT_TITLES set, every title says on stderr once its sound
// runs, so that a test of the whole program can wait for it.
void ReportTitleRunning(int32_t index)
{
    static const bool report = qEnvironmentVariableIsSet("SAROVIN_REPORT_TITLES");
    if (report) std::fprintf(stderr, "title %d running\n", int(index));
}

} // namespace

// ---- Commands ----------------------------------------------------------------

const frmMain::CommandEntry frmMain::kCommands[] = {
    {u"AudioLibrary", &frmMain::CmdAudioLibrary},
    {u"Audio:Pause", &frmMain::CmdPause},
    {u"Audio:Stop", &frmMain::CmdStop},
    {u"Audio:Next", &frmMain::CmdNext},
    {u"Audio:Prev", &frmMain::CmdPrev},
    {u"Audio:VolPlus", &frmMain::CmdVolPlus},
    {u"Audio:VolMunis", &frmMain::CmdVolMinus},
    {u"AudioProp", &frmMain::CmdAudioProp},
    {u"Options", &frmMain::CmdOptions},
    {u"PL", &frmMain::CmdPL},
    {u"AudioPlaying", &frmMain::CmdAudioPlaying},
    {u"AudioOrganize", &frmMain::CmdAudioOrganize},
};

bool frmMain::Command(const QString& cmd)
{
    if (CommandSeen) CommandSeen(cmd);
    for (const CommandEntry& c : kCommands) {
        if (cmd == QStringView(c.name)) {
            (this->*c.handler)();
            return true;
        }
    }
    if (!cmd.startsWith(u"PLDynamic")) return false;
    CmdDynamic(cmd);
    return true;
}

// Qt hands the focus of a pane being hidden on along the tab chain, into the
// search box, where the next key would replace the search and leave the page.
// The pane shown takes it instead: its first control (the list), else itself.
void frmMain::HideFrames(QWidget* shown)
{
    QWidget* focus = focusWidget();
    shown->setVisible(true);
    for (QWidget* pane : {frMusicLibrary, frAudioOrganize, frAudioOverview, frOptions}) {
        if (pane == shown) continue;
        if (focus && pane->isAncestorOf(focus)) {
            QWidget* heir = shown;
            for (QWidget* w = shown->nextInFocusChain(); w != shown; w = w->nextInFocusChain()) {
                if (shown->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(shown)
                    && (w->focusPolicy() & Qt::TabFocus)) {
                    heir = w;
                    break;
                }
            }
            heir->setFocus(Qt::OtherFocusReason);
            focus = nullptr;
        }
        pane->setVisible(false);
    }
}

void frmMain::SetAudioMode()
{
    HideFrames(frMusicLibrary);
}

void frmMain::SelectNode(const QString& key)
{
    for (QTreeWidgetItemIterator it(Functions); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == key) {
            Functions->setCurrentItem(*it);
            (*it)->setSelected(true);
            return;
        }
    }
}

void frmMain::SetViewCount(qint32 count)
{
    QV_ListControl1->SetItemCount(count);
}

void frmMain::CmdAudioLibrary()
{
    ListEntry& view = SlotEntry(ViewList);
    const int32_t last = int32_t(Library.Files.size()) - 1;
    view.Items.resize(std::max(last + 1, 1));
    for (int32_t i = 0; i <= last; ++i) view.Items[i] = i;
    if (last < 0) view.Items[0] = -1;
    view.Caption = QStringLiteral("Alle Titel");
    SetViewCount(int32_t(view.Items.size()) - 1);
    SetAudioMode();
    SelectNode(QStringLiteral("AudioLibrary"));
    if (txtSearch->text() == SearchPlaceholder()) txtSearch->setText(QString());
}

void frmMain::ShowPlaying(bool playing)
{
    for (const char* name : {"mTrayPlaying", "mAudioPlaying"})
        if (QAction* a = MenuAction(QString::fromLatin1(name))) a->setChecked(playing);
}

void frmMain::CmdPause()
{
    const int paused = ChannelPaused(-1, Channel);
    if (paused < 0) {
        // Nothing loaded (stopped, ended, never started): the queue's head starts.
        const int32_t head = QueueHead();
        if (head >= 0) {
            AudioPlay(head);
        } else {
            ShowPlaying(false);
            Label17->SetCaption(kPlayGlyph);
        }
        return;
    }
    const int state = ChannelPaused(paused != 0 ? 0 : 1, Channel);
    ShowPlaying(state == 0);
    Label17->SetCaption(state == 0 ? kPauseGlyph : kPlayGlyph);
}

void frmMain::CmdStop()
{
    WasPlaying = false;
    StopSound(Channel);
    ShowPlaying(false);
    Label17->SetCaption(kPlayGlyph);
}

void frmMain::CmdNext()
{
    SetPlayingHighlight(false);
    const int32_t head = QueueNext(SlotEntry(PlayingQueue).Items, IsOn(Settings.RepeatAll));
    AudioPlay(head);
}

void frmMain::CmdPrev()
{
    SetPlayingHighlight(false);
    const int32_t x = QueuePrevious(SlotEntry(PlayingQueue).Items, CurrentTrack);
    if (x != -1) AudioPlay(x);
}

void frmMain::CmdVolPlus() { SetVol(RoundToInt32(double(Volume) + 2048)); }
void frmMain::CmdVolMinus() { SetVol(RoundToInt32(double(Volume) - 2048)); }

void frmMain::CmdAudioProp()
{
    if (QV_ListControl1->SelectedIndex() == -1) return;
    const ListCell key = QV_ListControl1->SelectedKey();
    const int32_t k = key.IsNumber() ? int32_t(key.Number()) : RoundToInt32(Val(key.Text()));
    OpenTagEditor(k);
}

void frmMain::CmdOptions()
{
    LoadOptionsTree();  // makes the page on first use, so that it can take the focus
    HideFrames(frOptions);
    frOptions->raise();
    LoadOptions();
    ShowOptions(QStringLiteral("Main"));
}

void frmMain::CmdPL() { OpenPlaylistEditor(); }

void frmMain::ShowQueueInView()
{
    ListEntry& view = SlotEntry(ViewList);
    view = SlotEntry(PlayingQueue);
    SelectNode(QStringLiteral("AudioPlaying"));
    view.Caption = QStringLiteral("Jukebox");
    SetViewCount(int32_t(view.Items.size()) - 1);
}

void frmMain::CmdAudioPlaying()
{
    ShowQueueInView();
    SetAudioMode();
}

void frmMain::CmdAudioOrganize()
{
    HideFrames(frAudioOrganize);
    SelectNode(QStringLiteral("AudioOrganize"));
}

void frmMain::CmdDynamic(const QString& cmd)
{
    const int32_t n = RoundToInt32(Val(cmd.mid(9)));
    const bool slot = n >= 0 && n < DynPlaylistCount;
    if (slot) RunQuery(Settings.DynPlaylists[n].Query);
    SelectNode(cmd);
    ListEntry& view = SlotEntry(ViewList);
    if (slot) view.Caption = Settings.DynPlaylists[n].Name;
    SetViewCount(int32_t(view.Items.size()) - 1);
    SetAudioMode();
}

// ---- Playback start ------------------------------------------------------------

void frmMain::SetPlayingFromView()
{
    SlotEntry(PlayingQueue) = SlotEntry(ViewList);
}

void frmMain::ShufflePlaying()
{
    ShuffleQueue(SlotEntry(PlayingQueue).Items, RandomBetween);
}

void frmMain::SetTitleFont(bool playing)
{
    QFont f = lblTitle->font();
    f.setPointSizeF(playing ? 12 : 10);
    f.setBold(playing);
    lblTitle->setFont(f);
}

void frmMain::ShowIdleDisplay()
{
    lblTimeElapsed->setText(QStringLiteral("00:00"));
    lblTimeMax->setText(QStringLiteral("00:00"));
    SetWidth(shSeek, 0);
    lblArtistAlbum->setText(QString());
    lblTitle->setText(kIdleTitle);
    SetTitleFont(false);
    // Nothing plays, so nothing may claim it.
    ShowPlaying(false);
    Label17->SetCaption(kPlayGlyph);
}

void frmMain::ShowArtistAlbum(const QString& text)
{
    lblArtistAlbum->setText(text.isEmpty() ? QStringLiteral("keine Informationen vorhanden") : text);
}

void frmMain::AudioPlay(int32_t index, bool resumed)
{
    const bool isNew = index != CurrentTrack;
    CurrentTrack = index;
    const bool known = IsValidLibraryIndex(Library, index);
    const QString file = known ? Library.Files[index].FileName : QString();

    if (CurrentTrack == -1) {
        ShowIdleDisplay();
    } else {
        ShowPlaying(true);
        Label17->SetCaption(kPauseGlyph);
        lblTitle->setText(QString());
        QString artist, album;
        if (known) {
            const LibraryEntry& e = Library.Files[index];
            lblTitle->setText(e.Tags.Title);
            TrackLength = e.Tags.Lenght;
            artist = e.Tags.Artist;
            album = e.Tags.Album;
        }
        lblTimeMax->setText(FormatDuration(TrackLength));
        const QString text = ArtistAlbumText(artist, album);
        ShowArtistAlbum(text);
        SetPlayingHighlight(true);
        if (IsOn(Settings.ShowTrayBalloon)) ShowTitleBalloon(*QVTrayIcon1, lblTitle->text(), lblArtistAlbum->text());
        if (IsOn(Settings.ShowMiniPlayer)) MiniPlayerTitle(lblTitle->text() + QStringLiteral(" - ") + text);
    }
    // The new texts show now. Pumping here instead would let a click, hot
    // key or tick start another title inside this one.
    for (QWidget* w : {static_cast<QWidget*>(lblTitle), static_cast<QWidget*>(lblArtistAlbum),
                       static_cast<QWidget*>(lblTimeMax), static_cast<QWidget*>(lblTimeElapsed),
                       static_cast<QWidget*>(frSeek), static_cast<QWidget*>(Label17)})
        w->repaint();

    const int newSlot = Channel == 0 ? 1 : 0;
    const int oldSlot = Channel;
    Channel = int16_t(newSlot);
    const int32_t fade = IsOn(Settings.CrossfaderEnabled) ? Settings.CrossfadeTime : 0;
    PlayFile(file, newSlot, oldSlot, fade, fade, RoundToInt32(Volume));
    UpdateFades();
    titleRunUnreported_ = true;

    if (LastPlayOpened()) {
        unplayable_.clear();
        // Only a title that is heard counts; the placeholder of an empty library
        // is no title, and a resumed one was counted when it first started.
        if (isNew && !resumed && known && !file.isEmpty()) {
            LibraryEntry& e = Library.Files[index];
            e.PlayCNT += 1;
            e.PlayTime = CurrentDateTime();
            MarkLibraryChanged();
        }
    } else if (CurrentTrack >= 0 && AudioSystemExists()) {
        // Without a sound system no title opens; skipping would only empty the queue.
        PassOverUnplayable();
    }

    // The list the user looks at follows the queue, but the pane and the focus
    // stay where the user is: a new title must not pull him off another page.
    if (SlotEntry(ViewList).Caption == u"Jukebox") ShowQueueInView();
}

void frmMain::PassOverUnplayable()
{
    unplayable_.insert(CurrentTrack);
    // The display tick goes on to the next title as at the end of one, as long
    // as the queue has a head and a title not yet tried; otherwise (repeat-all
    // would turn the queue for ever) the display turns idle and stays so.
    const QueueItems& queue = SlotEntry(PlayingQueue).Items;
    const bool untried = queue.front() >= 0 && std::any_of(queue.begin(), queue.end(), [this](int32_t i) {
        return i >= 0 && !unplayable_.contains(i);
    });
    WasPlaying = untried;
    if (untried) return;
    SetPlayingHighlight(false);
    CurrentTrack = -1;
    ShowIdleDisplay();
    if (IsOn(Settings.ShowMiniPlayer)) MiniPlayerIdle();
}

// ---- Ticks ---------------------------------------------------------------------

void frmMain::tmrActualizeDisp_Timer()
{
    if (ChannelIsPlaying(Channel)) WasPlaying = true;
    if (!ChannelIsPlaying(Channel) && WasPlaying && QueueHead() >= 0) {
        if (IsOn(Settings.RepeatTitle)) {
            AudioPlay(CurrentTrack);
            // A title that cannot be opened is not retried every tick.
            if (!LastPlayOpened() && WasPlaying) Command(QStringLiteral("Audio:Next"));
        } else {
            Command(QStringLiteral("Audio:Next"));
        }
    } else if (ChannelIsPlaying(Channel) && WasPlaying && QueueHead() >= 0 && ChannelPosition(-1, Channel) > 10.0
               && IsOn(Settings.IntroMode)) {
        Command(QStringLiteral("Audio:Next"));
    }
    const bool playing = ChannelIsPlaying(Channel);
    if (playing) WasPlaying = true;

    if (playing || !WasPlaying) {
        const double pos = ChannelPosition(-1, Channel);
        if (CurrentTrack >= 0) RememberedTrack = CurrentTrack;
        if (pos < 0) {
            ShowIdleDisplay();
            CurrentTrack = -1;
            if (IsOn(Settings.ShowMiniPlayer)) MiniPlayerIdle();
        } else {
            if (CurrentTrack == -1) {
                // A channel plays that the display does not know: show the last title.
                CurrentTrack = RememberedTrack;
                ShowPlaying(true);
                Label17->SetCaption(kPauseGlyph);
                lblTitle->setText(QString());
                lblTimeMax->setText(QStringLiteral("00:00"));
                lblArtistAlbum->setText(QString());
                if (IsValidLibraryIndex(Library, CurrentTrack)) {
                    const LibraryEntry& e = Library.Files[CurrentTrack];
                    lblTitle->setText(e.Tags.Title);
                    TrackLength = e.Tags.Lenght;
                    lblTimeMax->setText(FormatDuration(TrackLength));
                    ShowArtistAlbum(ArtistAlbumText(e.Tags.Artist, e.Tags.Album));
                }
            }
            SetTitleFont(true);
            if (pos > 0 && std::exchange(titleRunUnreported_, false)) ReportTitleRunning(CurrentTrack);
            if (TrackLength > 0) SetWidth(shSeek, pos * (Twips(frSeek).Width / TrackLength));
            lblTimeMax->setText(FormatDuration(TrackLength));
            lblTimeElapsed->setText(GetPositionText(Channel));
        }
    }
    DrawVolumeBar();
}

void frmMain::tmrAudioSys_Timer()
{
    UpdateFades();
    DrawSpectrum();
}

// ---- Bars ----------------------------------------------------------------------

void frmMain::DrawVolumeBar()
{
    const TwipRect bar = Twips(frVol);
    const double h = bar.Height * (double(Volume) / 32768.0);
    Place(shVol, 0, bar.Height - h, bar.Width, h);
}

void frmMain::SetVol(int32_t vol)
{
    Volume = float(std::clamp(vol, 0, 32768));
    DrawVolumeBar();
    for (int slot = 0; slot < 2; ++slot) {
        // In a crossfade the volume belongs to the title that stays; the one
        // going keeps falling from where it is.
        switch (SlotFading(slot)) {
        case SlotFade::In: SetFadeInTarget(slot, int32_t(Volume)); break;
        case SlotFade::Out: break;
        case SlotFade::None: ChannelVolume(Volume, slot); break;
        }
    }
    if (IsOn(Settings.ShowMiniPlayer)) MiniPlayerShowVol(Volume);
}

void frmMain::frVol_Mouse(int buttons, double y)
{
    if (buttons != 1) return;
    const double h = Twips(frVol).Height;
    if (h <= 0) return;
    SetVol(RoundToInt32(VbInt((h - y) * (32768.0 / h))));
}

void frmMain::frSeek_Mouse(QEvent::Type type, int buttons, double x)
{
    if (buttons != 1) return;
    if (type == QEvent::MouseButtonPress) {
        tmrActualizeDisp->stop();
        seekDragging_ = true;
    } else if (!seekDragging_) {
        return;
    }
    const double w = Twips(frSeek).Width;
    x = std::clamp(x, 0.0, std::max(w, 0.0));
    const double s = w > 0 ? VbInt(TrackLength / w * x) : 0;
    if (type == QEvent::MouseButtonRelease) {
        seekDragging_ = false;
        ChannelPosition(s, Channel);
        tmrActualizeDisp->start();
        return;
    }
    SetWidth(shSeek, x);
    lblTimeElapsed->setText(FormatDuration(s));
}

void frmMain::CancelSeekDrag()
{
    if (!seekDragging_) return;
    seekDragging_ = false;
    tmrActualizeDisp->start();
}
