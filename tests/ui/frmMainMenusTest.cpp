// The main window's menus, toggles, transport buttons, export, reload and queue editing.
#include "MainWindowTestSupport.h"

#include "controls/QV_HoverLabel.h"
#include "core/Busy.h"
#include "core/LibraryDatabase.h"
#include "core/UiServices.h"
#include "ui/main/OtherWindows.h"

#include <QDir>
#include <QFile>
#include <QTreeWidget>

namespace {

constexpr uint32_t kIdle = 0xBD8250;
constexpr uint32_t kOn = 0xFFC0C0;

class MainWindowMenus : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetMessageBoxService([this](const QString& text, int style, const QString& caption) {
            messages.append(QStringLiteral("%1|%2|%3").arg(style).arg(caption, text));
            return int(MsgOk);
        });
    }
    void TearDown() override
    {
        SetMessageBoxService({});
        SetSaveFileDialogService({});
        MainWindowTest::TearDown();
    }
    void Trigger(const char* name, int index = -1) { w->MenuAction(QString::fromLatin1(name), index)->trigger(); }

    QStringList messages;
};

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
        Settings.*r.field = SwitchOff;
        Trigger(r.entry);
        EXPECT_EQ(Settings.*r.field, SwitchOn) << r.entry;
        EXPECT_TRUE(Checked(r.entry)) << r.entry;
        if (r.button) {
            EXPECT_EQ((w.get()->*r.button)->BackColor(), kOn) << r.entry;
        }
        // The button runs the same routine as the entry.
        if (r.button) emit (w.get()->*r.button)->Click();
        else Trigger(r.entry);
        EXPECT_EQ(Settings.*r.field, SwitchOff) << r.entry;
        EXPECT_FALSE(Checked(r.entry)) << r.entry;
        if (r.button) {
            EXPECT_EQ((w.get()->*r.button)->BackColor(), kIdle) << r.entry;
        }
    }
}

TEST_F(MainWindowMenus, ColumnEntryFlipsItsColumnOnly)
{
    Settings.ColumnVisible.fill(SwitchOn);
    Trigger("mViewColumn", 3);
    EXPECT_EQ(Settings.ColumnVisible[3], SwitchOff);
    EXPECT_FALSE(w->MenuAction(QStringLiteral("mViewColumn"), 3)->isChecked());
    Trigger("mViewColumn", 3);
    EXPECT_EQ(Settings.ColumnVisible[3], SwitchOn);
    EXPECT_EQ(Settings.ColumnVisible[14], SwitchOn);
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
    w->Command(QStringLiteral("AudioLibrary"));
    QTemporaryDir dir;
    const QString failed = QStringLiteral("16|Fehler beim Speichern|");
    const struct { const char* file; int filter; bool written; QString message; } rows[] = {
        {"list.xml", 1, true, {}},
        {"list.m3u", 2, true, {}},
        {"list.asx", 3, false, failed + QStringLiteral("Dieses Playlistformat ist nicht verfügbar.")},
        {"list.pls", 4, false, failed + QStringLiteral("Dieses Playlistformat ist nicht verfügbar.")},
        {"", 0, false, {}},  // cancelled
        {"missing/list.m3u", 2, false, failed + SaveFailedText(dir.filePath(QStringLiteral("missing/list.m3u")))},
    };
    for (const auto& r : rows) {
        messages.clear();
        const QString path = *r.file ? dir.filePath(QString::fromLatin1(r.file)) : QString();
        QStringList seenFilters;
        int seenInitial = 0;
        SetSaveFileDialogService([&](const QString& title, const QStringList& filters, int initial) {
            EXPECT_EQ(title, QStringLiteral("Speichern unter ..."));
            seenFilters = filters;
            seenInitial = initial;
            return SaveFileAnswer{path, r.filter};
        });
        Trigger("mPLExport");
        EXPECT_EQ(seenInitial, 2);
        EXPECT_EQ(seenFilters.size(), 4);
        EXPECT_EQ(!path.isEmpty() && QFile::exists(path), r.written) << r.file;
        EXPECT_EQ(messages.join(u'\n'), r.message) << r.file;
    }
    QFile m3u(dir.filePath(QStringLiteral("list.m3u")));
    ASSERT_TRUE(m3u.open(QIODevice::ReadOnly));
    EXPECT_TRUE(m3u.readAll().contains("a.wav"));
}

TEST_F(MainWindowMenus, ReloadWaitsWhileBusyAndIsDisabledWhileItRuns)
{
    QAction* reload = w->MenuAction(QStringLiteral("mAudioReloadLibrary"));
    {
        BusyGuard other;
        Trigger("mAudioReloadLibrary");
        EXPECT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.value(0).startsWith(QStringLiteral("48|Synchronisieren|Sarovin ist zur Zeit beschäftigt.")));
        EXPECT_TRUE(reload->isEnabled());
    }
    QTemporaryDir home, music;
    qputenv("SAROVIN_HOME", QFile::encodeName(home.path()));
    Settings.LibraryFolders = music.path();
    QList<bool> enabledDuring;
    const Subscription sub = SubscribeCaption([&](const QString&) { enabledDuring.append(reload->isEnabled()); });
    messages.clear();
    Trigger("mAudioReloadLibrary");
    qunsetenv("SAROVIN_HOME");
    ASSERT_FALSE(enabledDuring.isEmpty());
    EXPECT_FALSE(enabledDuring.contains(true));
    EXPECT_TRUE(reload->isEnabled());
}

TEST_F(MainWindowMenus, QueueEditingActsOnTheSelectedTitleOnly)
{
    MakeLibrary();
    w->Command(QStringLiteral("AudioLibrary"));
    Queue() = {-1};
    // No row selected, then a kept key that is no title: nothing queued, nothing rated.
    w->QV_ListControl1->SetSelectedIndex(-1);
    Trigger("mCAPlayNext");
    Trigger("mCAPlay");
    EXPECT_EQ(Queue(), (QVector<int32_t>{-1}));
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
}

TEST_F(MainWindowMenus, ReplaceKeepsThePlayingTitleAtTheHeadWithoutRestart)
{
    MakeLibrary();
    w->Command(QStringLiteral("AudioLibrary"));
    w->AudioPlay(1);
    Advance(0.3);
    const snd::StreamHandle playing = AudioSlotState(w->Channel).Sound;
    Trigger("mCAReplacePlaying");
    EXPECT_EQ(Queue(), (QVector<int32_t>{1, 0, 2}));
    EXPECT_EQ(w->CurrentTrack, 1);
    EXPECT_EQ(AudioSlotState(w->Channel).Sound, playing);
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
        EXPECT_TRUE(w->MenuAction(QStringLiteral("mAudioRate"), 0)->isChecked()) << menu;
        Trigger(menu, 2);
        EXPECT_TRUE(w->MenuAction(QStringLiteral("mAudioRate"), 2)->isChecked()) << menu;
        EXPECT_FALSE(w->MenuAction(QStringLiteral("mAudioRate"), 0)->isChecked()) << menu;
    }
}

TEST_F(MainWindowMenus, TreeNodeSendsItsKeyAndPlaylistEntryItsSlot)
{
    MakeLibrary();
    Settings.DynPlaylists[4] = {QStringLiteral("Kurz"), QStringLiteral("title=alpha")};
    LoadFunctionTree();
    QTreeWidgetItem* node = nullptr;
    for (QTreeWidgetItemIterator it(w->Functions); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == QStringLiteral("PLDynamic4")) node = *it;
    ASSERT_NE(node, nullptr);
    emit w->Functions->itemClicked(node, 0);
    EXPECT_EQ(View().Caption, QStringLiteral("Kurz"));
    EXPECT_EQ(View().Items, (QVector<int32_t>{0}));
    w->Command(QStringLiteral("AudioLibrary"));
    Trigger("mPLDynamic", 0);
    EXPECT_EQ(View().Caption, QStringLiteral("Kurz"));
}

TEST_F(MainWindowMenus, OptionsOpenInTheirPaneAndTheWheelScrollsTheList)
{
    Trigger("mAudioOptions");
    auto* title = w->frOptions->findChild<QLabel*>(QStringLiteral("lblOptTitle"));
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(w->frOptions->isVisibleTo(w.get()));
    EXPECT_TRUE(title->text().startsWith(QStringLiteral("Einstellungen")));

    Library.Files.resize(200);
    w->Command(QStringLiteral("AudioLibrary"));
    DispatchWheel(*w, 1);
    DispatchWheel(*w, 1);
    DispatchWheel(*w, -1);
    EXPECT_EQ(w->QV_ListControl1->TopRow(), 5);
}

} // namespace
