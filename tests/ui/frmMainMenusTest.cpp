// The main window's toggles, transport buttons, reload and queue editing beyond the wiring table.
#include "MainWindowTestSupport.h"

#include "controls/QV_HoverLabel.h"
#include "core/Busy.h"
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>

namespace {

constexpr uint32_t kIdle = 0xBD8250;
constexpr uint32_t kOn = 0xFFC0C0;

// What each toggle changes is in the wiring table; here its check and colour
// follow, also after the options page applied it, and a transport button shows
// the active colour while its command runs.
TEST_F(MainWindowTest, TogglesAndTransportButtonsShowTheirCheckAndColour)
{
    for (const auto& [entry, button] : {std::pair{"mAudioRandom", w->Label15}, {"mAudioCrossfader", w->Label20},
                                        {"mAudioIntro", nullptr}, {"mAudioRepAll", nullptr}, {"mAudioRepTitle", nullptr}})
        for (const bool on : {!Checked(entry), Checked(entry)}) {
            Trigger(entry);
            EXPECT_EQ(Checked(entry), on) << entry;
            EXPECT_TRUE(!button || button->BackColor() == (on ? kOn : kIdle)) << entry;
        }
    MakeLibrary();
    uint32_t during = 0;
    QTimer::singleShot(0, w.get(), [&] { during = w->Label19->BackColor(); });
    emit w->Label19->MouseDown(1, 0, 0, 0);
    EXPECT_EQ(during, kOn);
    emit w->Label19->MouseUp(1, 0, 0, 0);
    EXPECT_EQ(w->Label19->BackColor(), kIdle);

    // Applying the options page shows its toggle at once.
    Trigger("mAudioOptions");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    Settings.CrossfaderEnabled = SwitchOn;
    Trigger("mAudioCrossfader");  // off, and shown so
    w->frOptions->findChild<QCheckBox*>("Crossfader_Enable")->setChecked(true);
    w->frOptions->findChild<QPushButton*>("Command1")->click();
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(Checked("mAudioCrossfader") && w->Label20->BackColor() == kOn);
}

TEST_F(MainWindowTest, ReloadWaitsWhileBusyAndIsDisabledWhileItRuns)
{
    QAction* reload = Action("mAudioReloadLibrary");
    {
        BusyGuard other;
        reload->trigger();
        EXPECT_TRUE(shown.size() == 1 && shown[0].startsWith("48|Synchronisieren|Sarovin ist zur Zeit beschäftigt."));
        EXPECT_TRUE(reload->isEnabled());
    }
    QTemporaryDir music;
    Settings.LibraryFolders = music.path();
    QList<bool> enabledDuring;
    const Subscription sub = SubscribeCaption([&](const QString&) { enabledDuring.append(reload->isEnabled()); });
    reload->trigger();
    EXPECT_TRUE(!enabledDuring.isEmpty() && !enabledDuring.contains(true));
    EXPECT_TRUE(reload->isEnabled());
}

TEST_F(MainWindowTest, QueueEditingActsOnTheSelectedTitleOnlyAndReplaceKeepsThePlayingOne)
{
    MakeLibrary();
    w->Command("AudioLibrary");
    Queue() = {-1};
    // No row selected, then a kept key that is no title: nothing queued, nothing rated.
    w->QV_ListControl1->SetSelectedIndex(-1);
    Trigger("mCAPlayNext");
    Trigger("mCAPlay");
    w->QV_ListControl1->SetSelectedIndex(0);
    w->QV_ListControl1->SetSelectedKey(ListCell(99));
    Trigger("mCAPlay");
    Trigger("mCARate", 5);
    EXPECT_EQ(Queue(), (QVector<int32_t>{-1}));
    EXPECT_EQ(Library.Files[0].Rating, 0);

    // The menu queues and rates the title it opened on, though a new title rebuilt the view meanwhile.
    Queue() = {0, 1, 2};
    w->Command("AudioPlaying");
    w->QV_ListControl1->SetSelectedIndex(1);
    w->PopupMenu("mContextAudio")->popup({});
    w->Command("Audio:Next");
    Trigger("mCAPlayNext");
    Trigger("mCARate", 4);
    EXPECT_EQ(Queue()[1], 1);
    EXPECT_EQ(Library.Files[1].Rating * 10 + Library.Files[2].Rating, 40);

    // Replace keeps the playing title at the head without a restart.
    w->Command("AudioLibrary");
    w->AudioPlay(1);
    Advance(0.3);
    const snd::StreamHandle playing = AudioSlotState(w->Channel).Sound;
    Trigger("mCAReplacePlaying");
    EXPECT_EQ(Queue(), (QVector<int32_t>{1, 0, 2}));
    EXPECT_EQ(w->CurrentTrack, 1);
    EXPECT_EQ(AudioSlotState(w->Channel).Sound, playing);
    View() = {"leer", {-1}};  // an empty view: the queue empties and the title fades out
    Trigger("mCAReplacePlaying");
    EXPECT_EQ(std::pair(Queue(), w->CurrentTrack), std::pair(QVector<int32_t>{-1}, -1));
    EXPECT_EQ(w->lblTitle->text(), "keine Wiedergabe");
}

TEST_F(MainWindowTest, RatingFromEitherMenuOrTheListChecksTheNewRating)
{
    MakeLibrary();
    w->CurrentTrack = -1;
    Trigger("mAudioRate", 4);  // nothing plays: no record is touched
    for (const auto& f : Library.Files) EXPECT_EQ(f.Rating, 0);
    w->AudioPlay(0);
    Library.Files[0].Rating = 3;
    for (const char* menu : {"mAudioRate", "mTrayRate"}) {
        Trigger(menu, 0);
        EXPECT_TRUE(Checked("mAudioRate", 0)) << menu;
        Trigger(menu, 2);
        EXPECT_TRUE(Checked("mAudioRate", 2) && !Checked("mAudioRate", 0)) << menu;
    }
    Library.Files[1].Rating = 4;  // and the list's selection checks the selected title's
    w->QV_ListControl1_ItemSelect(1, -1, ListCell(1));
    for (int i = 0; i <= 5; ++i) EXPECT_EQ(Checked("mAudioRate", i), i == 4);
}

} // namespace
