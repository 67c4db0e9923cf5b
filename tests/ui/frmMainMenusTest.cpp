// The main window's menus, toggles, transport buttons, export, reload and queue editing.
#include "MainWindowTestSupport.h"

#include "controls/QV_HoverLabel.h"
#include "core/Busy.h"
#include "core/UiServices.h"
#include "ui/main/OtherWindows.h"

#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>

namespace {

constexpr uint32_t kIdle = 0xBD8250;
constexpr uint32_t kOn = 0xFFC0C0;

using MainWindowMenus = MainWindowTest;

TEST_F(MainWindowMenus, TogglesFlipTheSettingAndItsCheckAndColour)
{
    const struct { const char* entry; Switch SettingsRecord::*field; QV_HoverLabel* frmMain::*button; } rows[] = {
        {"mAudioCrossfader", &SettingsRecord::CrossfaderEnabled, &frmMain::Label20},
        {"mAudioRandom", &SettingsRecord::Shuffle, &frmMain::Label15},
        {"mAudioIntro", &SettingsRecord::IntroMode, nullptr},
        {"mAudioRepAll", &SettingsRecord::RepeatAll, nullptr},
        {"mAudioRepTitle", &SettingsRecord::RepeatTitle, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.entry);
        QV_HoverLabel* button = r.button ? w.get()->*r.button : nullptr;
        Settings.*r.field = SwitchOff;
        Trigger(r.entry);
        EXPECT_TRUE(Settings.*r.field == SwitchOn && Checked(r.entry));
        EXPECT_TRUE(!button || button->BackColor() == kOn);
        // The button runs the same routine as the entry.
        if (button) emit button->Click();
        else Trigger(r.entry);
        EXPECT_TRUE(Settings.*r.field == SwitchOff && !Checked(r.entry));
        EXPECT_TRUE(!button || button->BackColor() == kIdle);
    }
    Settings.ColumnVisible.fill(SwitchOn);
    Trigger("mViewColumn", 3);
    EXPECT_TRUE(Settings.ColumnVisible[3] == SwitchOff && !Checked("mViewColumn", 3));
    EXPECT_EQ(std::count(Settings.ColumnVisible.begin(), Settings.ColumnVisible.end(), SwitchOn),
              int(Settings.ColumnVisible.size()) - 1);
}

TEST_F(MainWindowMenus, TransportButtonShowsItsActiveColourWhileTheCommandRuns)
{
    MakeLibrary();
    uint32_t during = 0;
    QTimer::singleShot(0, w.get(), [&] { during = w->Label19->BackColor(); });
    emit w->Label19->MouseDown(1, 0, 0, 0);
    EXPECT_EQ(during, kOn);
    emit w->Label19->MouseUp(1, 0, 0, 0);
    EXPECT_EQ(w->Label19->BackColor(), kIdle);
}

TEST_F(MainWindowMenus, ExportWritesTheChosenFormatOrSaysWhy)
{
    MakeLibrary();
    w->Command("AudioLibrary");
    QTemporaryDir dir;
    const QString failed = "16|Fehler beim Speichern|";
    const QString unavailable = failed + "Dieses Playlistformat ist nicht verfügbar.";
    const struct { const char* file; int filter; QString message; } rows[] = {
        {"list.xml", 1, {}}, {"list.m3u", 2, {}}, {"list.asx", 3, unavailable}, {"list.pls", 4, unavailable},
        {"", 0, {}},  // cancelled
        {"missing/list.m3u", 2, failed + SaveFailedText(dir.filePath("missing/list.m3u"))},
    };
    for (const auto& r : rows) {
        shown.clear();
        const QString path = *r.file ? dir.filePath(r.file) : QString();
        SetSaveFileDialogService([&](const QString& title, const QStringList& filters, int initial) {
            EXPECT_EQ(title + QString::number(filters.size()) + QString::number(initial), "Speichern unter ...42");
            return SaveFileAnswer{path, r.filter};
        });
        Trigger("mPLExport");
        EXPECT_EQ(!path.isEmpty() && QFile::exists(path), r.message.isEmpty() && *r.file) << r.file;
        EXPECT_EQ(shown.join(u'\n'), r.message) << r.file;
    }
    EXPECT_TRUE(ReadRawFile(dir.filePath("list.m3u")).contains("a.wav"));
}

TEST_F(MainWindowMenus, ReloadWaitsWhileBusyAndIsDisabledWhileItRuns)
{
    QAction* reload = Action("mAudioReloadLibrary");
    {
        BusyGuard other;
        reload->trigger();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].startsWith("48|Synchronisieren|Sarovin ist zur Zeit beschäftigt."));
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

TEST_F(MainWindowMenus, QueueEditingActsOnTheSelectedTitleOnly)
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

    w->QV_ListControl1->SetSelectedIndex(2);
    ASSERT_EQ(w->SelectedTitle(), 2);
    Trigger("mCAPlayNext");
    EXPECT_EQ(Queue(), (QVector<int32_t>{-1, 2}));
    Trigger("mCAPlay");
    EXPECT_EQ(w->CurrentTrack, 2);
    Trigger("mCARate", 3);
    EXPECT_EQ(Library.Files[2].Rating, 3);

    // The menu rates the title it opened on, though a new title rebuilt the view meanwhile.
    Queue() = {0, 1, 2};
    w->Command("AudioPlaying");
    w->QV_ListControl1->SetSelectedIndex(1);
    w->PopupMenu("mContextAudio")->popup({});
    w->Command("Audio:Next");
    Trigger("mCARate", 4);
    EXPECT_EQ(Library.Files[1].Rating * 10 + Library.Files[2].Rating, 43);
}

TEST_F(MainWindowMenus, ReplaceKeepsThePlayingTitleAtTheHeadWithoutRestart)
{
    MakeLibrary();
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

TEST_F(MainWindowMenus, RatingFromEitherMenuChecksTheNewRating)
{
    MakeLibrary();
    w->CurrentTrack = -1;
    Trigger("mAudioRate", 4);  // nothing plays: no record is touched
    for (const auto& f : Library.Files) EXPECT_EQ(f.Rating, 0);
    w->AudioPlay(0);
    Library.Files[0].Rating = 3;
    for (const char* menu : {"mAudioRate", "mTrayRate"}) {
        Trigger(menu, 0);
        EXPECT_EQ(Library.Files[0].Rating, 0) << menu;
        EXPECT_TRUE(Checked("mAudioRate", 0)) << menu;
        Trigger(menu, 2);
        EXPECT_TRUE(Checked("mAudioRate", 2) && !Checked("mAudioRate", 0)) << menu;
    }
}

TEST_F(MainWindowMenus, TreeNodeSendsItsKeyAndPlaylistEntryItsSlot)
{
    MakeLibrary();
    Settings.DynPlaylists[4] = {"Kurz", "title=alpha"};
    LoadFunctionTree();
    QTreeWidgetItem* node = nullptr;
    for (QTreeWidgetItemIterator it(w->Functions); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == "PLDynamic4") node = *it;
    ASSERT_NE(node, nullptr);
    emit w->Functions->itemClicked(node, 0);
    EXPECT_EQ(View().Caption, "Kurz");
    EXPECT_EQ(View().Items, (QVector<int32_t>{0}));
    w->Command("AudioLibrary");
    Trigger("mPLDynamic", 0);
    EXPECT_EQ(View().Caption, "Kurz");
}

TEST_F(MainWindowMenus, OptionsOpenInTheirPaneAndTheWheelScrollsTheList)
{
    Trigger("mAudioOptions");
    auto* title = w->frOptions->findChild<QLabel*>("lblOptTitle");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(w->frOptions->isVisibleTo(w.get()));
    EXPECT_TRUE(title->text().startsWith("Einstellungen"));
    // Applying the page shows its switch in the menu check and the button at once.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    Settings.CrossfaderEnabled = SwitchOn;
    Trigger("mAudioCrossfader");  // off, and shown so
    w->frOptions->findChild<QCheckBox*>("Crossfader_Enable")->setChecked(true);
    w->frOptions->findChild<QPushButton*>("Command1")->click();
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(Checked("mAudioCrossfader") && w->Label20->BackColor() == kOn);

    Library.Files.resize(200);
    w->Command("AudioLibrary");
    for (int delta : {1, 1, -1}) DispatchWheel(*w, delta);
    EXPECT_EQ(w->QV_ListControl1->TopRow(), 5);
}

} // namespace
