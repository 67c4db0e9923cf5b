// Commands, playback start, the display tick and the bars of the main window.
#include "MainWindowTestSupport.h"

#include "controls/QV_HoverLabel.h"
#include "tests/controls/ListControlTestSupport.h"

namespace {

TEST_F(MainWindowTest, StringsAreMatchedExactly)
{
    MakeLibrary();
    Settings.DynPlaylists[2] = {"Zwei", "artist=bob"};
    Settings.DynPlaylists[4] = {"Vier", "album=far"};
    Settings.DynPlaylists[7] = {"Sieben", "title=alpha"};
    const struct { const char* cmd; bool known; const char* caption; QVector<int32_t> items; } rows[] = {
        {"AudioLibrary", true, "Suche: \"\"", {0, 1, 2}},  // the placeholder's removal searches
        {"audiolibrary", false, "vorher", {1}}, {"AudioLibrary ", false, "vorher", {1}},
        {"AudioDJStudio", false, "vorher", {1}},
        {"PLDynamic7x", true, "Sieben", {0}},
        {"PLDynamic25", true, "vorher", {1}},  // no such slot: view kept, list reset
        {"PLDynamic-1", true, "vorher", {1}},
        {"PLDynamic2.5", true, "Zwei", {1}},  // halves to the even neighbour
        {"PLDynamic3.5", true, "Vier", {2}},
    };
    for (const auto& r : rows) {
        View() = {"vorher", {1}};
        w->QV_ListControl1->SetItemCount(-1);
        EXPECT_EQ(w->Command(r.cmd), r.known) << r.cmd;
        EXPECT_EQ(View().Caption, r.caption) << r.cmd;
        EXPECT_EQ(View().Items, r.items) << r.cmd;
        EXPECT_EQ(w->QV_ListControl1->ItemCount(), r.known ? r.items.size() - 1 : -1) << r.cmd;
    }
    Queue() = {2, 0};
    w->Command("AudioPlaying");
    Queue()[0] = 1;  // the view is a copy
    EXPECT_EQ(View().Items, (QVector<int32_t>{2, 0}));
    EXPECT_EQ(w->lblPLTitle->text(), "Jukebox");  // the summary shows the view's new name
}

TEST_F(MainWindowTest, PauseAndStopShowTheirGlyphChecksAndTheIdleWindow)
{
    MakeLibrary();
    // Pause with nothing loaded (before any play, after Stop) starts the queue's head.
    const struct { const char* cmd; QVector<int32_t> queue; const char* glyph; bool playing; } steps[] = {
        {"Audio:Pause", {-1}, "4", false}, {"Audio:Pause", {1}, ";", true}, {"Audio:Pause", {1}, "4", false},
        {"Audio:Pause", {1}, ";", true},   {"Audio:Stop", {1}, "4", false}, {"Audio:Pause", {-1}, "4", false},
        {"Audio:Pause", {2}, ";", true},
    };
    for (const auto& s : steps) {
        Queue() = s.queue;
        w->Command(s.cmd);
        EXPECT_EQ(w->Label17->Caption(), s.glyph) << s.cmd;
        EXPECT_EQ(Checked("mAudioPlaying") + 2 * Checked("mTrayPlaying"), 3 * s.playing) << s.cmd;
        EXPECT_EQ(ChannelPaused(-1, w->Channel) == 0, s.playing) << s.cmd;
    }
    EXPECT_EQ(w->CurrentTrack, 2);
    Advance(0.3);
    w->Command("Audio:Stop");
    w->tmrActualizeDisp_Timer();
    EXPECT_EQ(w->CurrentTrack, -1);
    EXPECT_EQ(w->lblTitle->text() + '|' + w->lblArtistAlbum->text() + '|' + w->lblTimeElapsed->text() + '|' +
                  w->lblTimeMax->text(), "keine Wiedergabe||00:00|00:00");
    EXPECT_EQ(w->Twips(w->shSeek).Width, 0);
}

// The play starts before pending events run; the same title twice counts once
// and crossfades; SetVol in a crossfade sets the title fading in.
TEST_F(MainWindowTest, SameTitleTwiceCountsOnceAndSetVolInACrossfade)
{
    MakeLibrary();
    Settings.CrossfaderEnabled = SwitchOn;
    Settings.CrossfadeTime = 1;
    w->SetVol(32768);
    int channelSeen = -1;
    QTimer::singleShot(0, w.get(), [&] { channelSeen = w->Channel; });
    w->AudioPlay(2);
    EXPECT_EQ(channelSeen, -1);
    QApplication::processEvents();
    EXPECT_EQ(channelSeen, 1);
    Advance(0.3);
    w->AudioPlay(2);
    EXPECT_EQ(Library.Files[2].PlayCNT, 1);
    EXPECT_EQ(Library.Files[2].PlayTime.toDateTime(), QDateTime(QDate(2026, 3, 1), QTime(12, 0)));
    EXPECT_EQ(w->Channel, 0);
    EXPECT_TRUE(SlotFading(0) == SlotFade::In && SlotFading(1) == SlotFade::Out);
    Advance(0.5);
    const int32_t goingBefore = ChannelVolume(-1, 1);
    w->SetVol(8000);
    EXPECT_LE(ChannelVolume(-1, 1), goingBefore);
    Advance(0.7);
    EXPECT_EQ(ChannelVolume(-1, w->Channel), 8000);
}

// The labels, and the tray balloon with the title and the line under it while switched on.
TEST_F(MainWindowTest, LabelsAndBalloonForEachKindOfIndex)
{
    w->AudioPlay(0);  // the placeholder of an empty library is no title
    EXPECT_EQ(Library.Files[0].PlayCNT, 0);
    EXPECT_FALSE(Library.Files[0].PlayTime.isValid());
    LibraryEntry noTags;
    noTags.FileName = Tone("a.wav");
    noTags.Tags.Title = "Nur";
    MakeLibrary({noTags});
    QStringList balloons;
    SetTrayHostCheck([] { return true; });
    SetBalloonPresenter([&](QSystemTrayIcon&, const TrayBalloon& b) { balloons << b.Title + u'|' + b.Text; });
    const struct { int32_t index; Switch balloon; const char* labels; } rows[] = {
        {0, SwitchOn, "Alpha|by 'Ann' from 'First' |00:01"}, {1, SwitchOn, "Beta|by 'Bob'  |00:01"},
        {2, SwitchOn, "Long|from 'Far' |00:10"}, {3, SwitchOn, "Nur|keine Informationen vorhanden |00:00"},
        {0, SwitchOff, "Alpha|by 'Ann' from 'First' |00:01"},
        {99, SwitchOff, "keine Wiedergabe| |00:00"},  // stale: nothing opens, nothing else is queued
        {-1, SwitchOff, "keine Wiedergabe| |00:00"},
    };
    for (const auto& r : rows) {
        balloons.clear();
        Settings.ShowTrayBalloon = r.balloon;
        w->AudioPlay(r.index);
        EXPECT_EQ(w->lblTitle->text() + '|' + w->lblArtistAlbum->text() + " |" + w->lblTimeMax->text(), r.labels);
        EXPECT_EQ(balloons.join(""), IsOn(r.balloon) ? QString(r.labels).section(u'|', 0, 1) : QString()) << r.index;
    }
    EXPECT_EQ(w->lblTitle->font().pointSizeF(), 10.0);
    EXPECT_FALSE(w->lblTitle->font().bold());
    EXPECT_EQ(w->lblTimeElapsed->text(), "00:00");
}

TEST_F(MainWindowTest, ANewTitleLeavesThePaneAndTheFocusWhereTheyAre)
{
    MakeLibrary();
    Queue() = {0, 1, 2};
    w->show();
    w->activateWindow();
    w->Command("AudioPlaying");
    w->QV_ListControl1->setFocus();
    QApplication::processEvents();
    SendKey(QApplication::focusWidget(), Qt::Key_Right);
    SendKey(QApplication::focusWidget(), Qt::Key_Space, " ");
    EXPECT_EQ(std::tuple(View().Items, w->CurrentTrack, ChannelPaused(-1, w->Channel)),
              std::tuple(QVector<int32_t>{1, 2}, 1, 1));
    w->Command("Options");
    w->Command("AudioPlaying");  // the command itself still shows the list
    EXPECT_TRUE(!w->frOptions->isVisible() && w->frMusicLibrary->isVisible());
    w->Command("Options");
    w->Command("Audio:Next");
    EXPECT_TRUE(w->frOptions->isVisible() && !w->frMusicLibrary->isVisible());
}

// A command that changes the pane while the focus is in one, from a menu, a
// hot key or the tray: the pane shown takes the focus, never the search box,
// whose next key would replace the search and leave the page. Focus outside
// the panes stays where it is.
TEST_F(MainWindowTest, APaneChangeKeepsTheFocusOutOfTheSearchBox)
{
    MakeLibrary();
    Settings.DynPlaylists[2] = {"Zwei", "artist=bob"};
    w->show();
    w->activateWindow();
    const struct { const char* first; const char* focus; const char* cmd; const char* after; } rows[] = {
        {"AudioPlaying", "QV_ListControl1", "AudioLibrary", "QV_ListControl1"},
        {"AudioLibrary", "QV_ListControl1", "AudioPlaying", "QV_ListControl1"},
        {"AudioLibrary", "QV_ListControl1", "PLDynamic2", "QV_ListControl1"},
        {"AudioLibrary", "QV_ListControl1", "Options", "trvOptionsTree"},
        {"AudioLibrary", "QV_ListControl1", "AudioOrganize", "cmdOrgStart"},
        {"AudioOrganize", "cmdOrgStart", "AudioLibrary", "QV_ListControl1"},
        {"AudioOrganize", "LibraryCheckPage", "Options", "trvOptionsTree"},  // the check held it on the page
        {"Options", "trvOptionsTree", "AudioPlaying", "QV_ListControl1"},
        {"Options", "trvOptionsTree", "AudioOrganize", "cmdOrgStart"},
        {"AudioLibrary", "Functions", "Options", "Functions"},
        {"Options", "txtSearch", "AudioLibrary", "txtSearch"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.first) + " > " + r.focus + " > " + r.cmd);
        w->Command(r.first);
        w->findChild<QWidget*>(r.focus)->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget()->objectName().toStdString(), r.focus);
        w->Command(r.cmd);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), r.after);
    }
}

// After a title that cannot open, the next one that can; none left: idle. Only
// what opens counts, and a repeated title once.
TEST_F(MainWindowTest, TitlesThatCannotOpenAreSkippedUncountedAndNoneLeftEndsIdle)
{
    LibraryEntry gone;
    gone.FileName = Tone("gone.wav");
    const struct { bool repeatAll, repeatTitle; QVector<int32_t> queue; int32_t play, current; const char* display;
                   int plays; /* of 0, 3 and 4 */ } rows[] = {
        {false, false, {3}, 3, -1, "keine Wiedergabe4", 0},
        {true, false, {3, 4}, 3, -1, "keine Wiedergabe4", 0},  // one pass, then idle for good
        {true, false, {3, 4, 2}, 3, 2, "Long;", 0},
        {false, true, {3, 0}, 3, 0, "Alpha;", 1},
        {false, false, {-1}, 0, 0, "Alpha;", 1},  // the title ends, no head: nothing follows
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(&r - rows);
        NewWindow();
        MakeLibrary({gone, gone});
        Settings.RepeatAll = r.repeatAll ? SwitchOn : SwitchOff;
        Settings.RepeatTitle = r.repeatTitle ? SwitchOn : SwitchOff;
        w->AudioPlay(2);
        Advance(0.2);
        Queue() = r.queue;
        w->AudioPlay(r.play);
        Advance(1.5);
        EXPECT_EQ(w->CurrentTrack, r.current);
        EXPECT_EQ(w->lblTitle->text() + w->Label17->Caption(), r.display);
        EXPECT_EQ(Checked("mAudioPlaying"), r.current >= 0);
        EXPECT_TRUE(r.current >= 0 || w->Twips(w->shSeek).Width == 0);
        EXPECT_EQ(Library.Files[0].PlayCNT + Library.Files[3].PlayCNT + Library.Files[4].PlayCNT, r.plays);
        EXPECT_TRUE(Library.Files[3].PlayTime.isNull() && Library.Files[4].PlayTime.isNull());
    }
}

TEST_F(MainWindowTest, IntroModeSkipsOnlyAboveTenSeconds)
{
    MakeLibrary();
    Settings.IntroMode = SwitchOn;
    Queue() = {2, 0};
    w->AudioPlay(2);
    Advance(0.2);
    for (const auto& [at, current] : {std::pair{10.0, 2}, {10.05, 0}}) {
        ChannelPosition(at, w->Channel);
        w->tmrActualizeDisp_Timer();
        EXPECT_EQ(w->CurrentTrack, current) << at;
    }
}

TEST_F(MainWindowTest, SeekDragClampsALostReleaseDoesNotSeekAndTheVolumeBarSets)
{
    MakeLibrary();
    w->AudioPlay(2);
    Advance(0.2);
    const double width = w->Twips(w->frSeek).Width;
    const struct { double x; double shown; const char* text; } rows[] = {
        {-300, 0, "00:00"}, {width + 500, width, "00:10"}, {width / 2, width / 2, "00:05"}};
    w->tmrActualizeDisp->start();
    SendMouse(w->frSeek, QEvent::MouseButtonPress, Tw(0, 0));
    EXPECT_FALSE(w->tmrActualizeDisp->isActive());
    for (const auto& r : rows) {
        SendMouse(w->frSeek, QEvent::MouseMove, Tw(r.x, 0));
        EXPECT_DOUBLE_EQ(w->Twips(w->shSeek).Width, r.shown) << r.x;
        EXPECT_EQ(w->lblTimeElapsed->text(), r.text) << r.x;
    }
    SendMouse(w->frSeek, QEvent::MouseButtonRelease, Tw(width + 500, 0));
    EXPECT_TRUE(w->tmrActualizeDisp->isActive());
    EXPECT_NEAR(ChannelPosition(-1, w->Channel), 10.0, 0.05);

    ChannelPosition(1.0, w->Channel);
    SendMouse(w->frSeek, QEvent::MouseButtonPress, Tw(width / 2, 0));
    QEvent ungrab(QEvent::UngrabMouse);
    QApplication::sendEvent(w->frSeek, &ungrab);
    EXPECT_TRUE(w->tmrActualizeDisp->isActive());
    SendMouse(w->frSeek, QEvent::MouseButtonRelease, Tw(width / 2, 0));
    EXPECT_NEAR(ChannelPosition(-1, w->Channel), 1.0, 0.05);
    w->tmrActualizeDisp->stop();

    // The volume bar and SetVol.
    const double h = w->Twips(w->frVol).Height;
    const struct { QWidget* target; double y; float volume; } bars[] = {
        {w->frVol, 0, 32768}, {w->frVol, h, 0}, {w->frVol, -100, 32768}, {w->frVol, h + 100, 0},
        {w->Label3, h - 240, 0},  // the glyph passes its clicks on 240 twips lower
    };
    for (const auto& r : bars) {
        SendMouse(r.target, QEvent::MouseButtonPress, Tw(10, r.y));
        EXPECT_EQ(w->CurrentVolume(), r.volume) << r.y;
        EXPECT_NEAR(w->Twips(w->shVol).Height, h * r.volume / 32768, 1e-9) << r.y;
    }
    w->SetVol(-5);
    EXPECT_EQ(w->CurrentVolume(), 0);
    EXPECT_EQ(w->Twips(w->shVol).Height, 0);
    EXPECT_EQ(ChannelVolume(-1, w->Channel), 0);
}

} // namespace
