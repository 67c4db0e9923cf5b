#include "ui/dialogs/frmDeviceWizard.h"

#include "core/DeviceSync.h"
#include "core/UiServices.h"
#include "platform/DeviceCopy.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/WindowTest.h"
#include "ui/main/OtherWindows.h"

#include <QGroupBox>
#include <QProgressBar>
#include <QThread>

#include <atomic>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr int64_t MiB = 1 << 20;
const QString Idle = QStringLiteral("Sarovin");
const QString Question = QStringLiteral("52|Sarovin|Achtung! Wollen Sie die Synchronisation wirklich abbrechen?");

template <typename Done>
bool PumpUntil(Done done)
{
    for (int i = 0; i < 20000 && !done(); ++i) {
        QCoreApplication::processEvents();
        QThread::usleep(500);
    }
    return done();
}

QString Ended(int copied, int attempted)
{
    return QStringLiteral("64|Sarovin|Synchronisation wurde beendet.\r\nEs wurden %1 von %2 Titel erfolgreich kopiert.")
        .arg(copied).arg(attempted);
}

// Fifteen titles of 768 MB each (the last without a title), a folder as a
// stick with 10 GB free, the playlists "Zwölf" (titles 0..11) and "Drei"
// (titles 0..2 with hostile tags, the second 2 MiB long).
class DeviceWizardTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        root = tmp.filePath("stick");
        ASSERT_TRUE(QDir().mkpath(root));
        const char* titles[] = {"a:b", "c*d", "e?f"};
        for (int i = 0; i < 15; ++i) {
            LibraryEntry e;
            e.FileName = tmp.filePath(QStringLiteral("lib%1.mp3").arg(i));
            ASSERT_TRUE(WriteRawFile(e.FileName, QByteArray(i == 1 ? 2 * MiB : 9, 'x')));
            e.Tags = {.Title = i < 3 ? titles[i] : i < 14 ? "Titel" : "", .Artist = i < 3 ? "AC/DC" : "A",
                      .Album = i < 3 ? ".." : "B", .Genre = i < 3 ? "drei" : "rock"};
            e.Rating = i < 12 ? 1 : 0;
            e.SizeInMB = 768;
            Library.Files.append(e);
        }
        Library.ListSets[PlayingQueue].Entries = {{QString(), {-1, 3, 99999}}};
        Library.ListSets[ViewList].Entries = {{QString(), {7, 8}}};
        Settings.DynPlaylists[2] = {"Zwölf", "rating>=1"};
        Settings.DynPlaylists[5] = {"Drei", "genre=drei"};

        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(root).constData(), &st), 0);
        volumes = {{root, "STICK", "-559038737", "vfat", 16.0 * 1024 * MiB, 10.0 * 1024 * MiB, uint64_t(st.st_dev)}};
        SetVolumeSource([this] { return volumes; });
        messageAnswer = MsgYes;
    }

    void TearDown() override
    {
        release = true;
        UnloadDeviceWizard();
        SetCopyBlockHook({});
        SetVolumeSource({});
    }

    static void Tick(frmDeviceWizard* w, const QString& name)
    {
        for (QListWidgetItem* item : w->List1->findItems(name, Qt::MatchExactly)) item->setCheckState(Qt::Checked);
    }

    // Opens the wizard, ticks the source and walks to the copy page.
    static frmDeviceWizard* Copy(const QString& source)
    {
        OpenDeviceWizard();
        frmDeviceWizard* w = DeviceWizard();
        Tick(w, source);
        for (int i = 0; i < 3; ++i) w->cmd_WindowsXP_Button2->click();
        return w;
    }

    // The worker waits inside the second title until released.
    void HoldTheSecondTitle()
    {
        SetCopyBlockHook([this](int job, int64_t written) {
            if (job == 1 && written >= MiB) {
                held = true;
                while (!release) QThread::usleep(200);
            }
            return 0;
        });
    }

    QTemporaryDir tmp;
    QString root;
    QVector<DeviceVolume> volumes;
    std::atomic<bool> held{false}, release{false};
};

TEST_F(DeviceWizardTest, BackAndNextAlongThePages)
{
    QStringList captions;
    const Subscription sub = SubscribeCaption([&](const QString& c) { captions << c; });
    OpenDeviceWizard();
    frmDeviceWizard* w = DeviceWizard();
    ASSERT_TRUE(w);
    w->Tag = "Hidden";
    w->hide();
    OpenDeviceWizard();  // shows the loaded one again, in the foreground
    EXPECT_TRUE(DeviceWizard() == w && w->isVisible() && w->Tag.isEmpty());
    const struct { QPushButton* button; int page; bool back, next; } steps[] = {
        {nullptr, 0, true, true},           {w->cmd_WindowsXP_Button2, 1, true, true},
        {w->cmd_WindowsXP_Button3, 0, false, true}, {w->cmd_WindowsXP_Button2, 1, false, true},
        {w->cmd_WindowsXP_Button2, 2, true, true},  {w->cmd_WindowsXP_Button2, 3, false, false},
    };
    for (const auto& s : steps) {
        if (s.button) s.button->click();
        const auto page = std::find_if(w->tab.begin(), w->tab.end(), [](QFrame* t) { return !t->isHidden(); });
        EXPECT_EQ(std::tuple(int(page - w->tab.begin()), w->cmd_WindowsXP_Button3->isEnabled(),
                             w->cmd_WindowsXP_Button2->isEnabled()), std::tuple(s.page, s.back, s.next));
    }
    EXPECT_EQ(w->lblTitle->text() + '|' + w->cmd_WindowsXP_Button2->text(), "Synchronisation Läuft|&Fertig");
    ASSERT_TRUE(PumpUntil([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, QStringList{Ended(0, 0)});  // nothing ticked
    w->cmd_WindowsXP_Button2->click();
    EXPECT_EQ(DeviceWizard(), nullptr);
    EXPECT_EQ(captions, (QStringList{"Sarovin - Gerätesynchronisation...", Idle}));

    // Without a drive there is no next; back on the first page closes.
    volumes.clear();
    OpenDeviceWizard();
    EXPECT_FALSE(DeviceWizard()->cmd_WindowsXP_Button2->isEnabled());
    DeviceWizard()->cmd_WindowsXP_Button3->click();
    EXPECT_EQ(DeviceWizard(), nullptr);
    EXPECT_FALSE(IsBusy());

    BusyGuard other;
    OpenDeviceWizard();
    EXPECT_EQ(DeviceWizard(), nullptr);
    EXPECT_TRUE(shown.size() == 2 && shown[1].startsWith("48|Synchronisieren|Sarovin ist zur Zeit beschäftigt."));
}

TEST_F(DeviceWizardTest, TheFirstTickedSourceFillsTheSyncList)
{
    const struct { QStringList ticked; int count; bool warning; } rows[] = {
        {{}, 0, false},
        {{"Aktuelle Wiedergabe", "Alle Titel"}, 14, true},  // 14 x 768 MB = 10.5 GB, 10 GB free
        {{"Zwölf"}, 12, false},
    };
    for (const auto& r : rows) {
        OpenDeviceWizard();
        frmDeviceWizard* w = DeviceWizard();
        for (const QString& name : r.ticked) Tick(w, name);
        Settings.DynPlaylists[2] = {};  // the list stands as it was loaded
        w->cmd_WindowsXP_Button2->click();
        w->cmd_WindowsXP_Button2->click();
        EXPECT_EQ(w->Label5->text(), SyncCountText(r.count));
        EXPECT_EQ(w->frNoSpace->isVisibleTo(w), r.warning) << r.count;
        EXPECT_EQ(Library.ListSets[ViewList].Entries[0].Items, (QVector<int32_t>{7, 8}));
        UnloadDeviceWizard();
        Settings.DynPlaylists[2] = {"Zwölf", "rating>=1"};
    }
}

TEST_F(DeviceWizardTest, HostileTagsLandUnderTheRootAndAFailedTitleIsCounted)
{
    QFile::remove(Library.Files[1].FileName);
    frmDeviceWizard* w = Copy("Drei");
    ASSERT_TRUE(PumpUntil([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, QStringList{Ended(2, 3)});
    EXPECT_EQ(FilesUnder(root), (QStringList{"AC_DC/_/a_b.mp3", "AC_DC/_/e_f.mp3"}));
    EXPECT_EQ(w->ProgressBar1->value(), w->ProgressBar1->maximum());
}

// Cancel (Yes), the frame or the exit during the copy stop it quietly at its
// next block and keep the finished file. The end arriving in the background is
// reported; arriving while the cancel question is open, Yes unloads once
// without a report, No reports.
TEST_F(DeviceWizardTest, EveryWayOutDuringTheCopy)
{
    enum Way { CancelButton, Frame, Exit, Background, QuestionYes, QuestionNo };
    const struct { Way way; QStringList shown; QStringList files; } rows[] = {
        {CancelButton, {Question}, {"AC_DC/_/a_b.mp3"}},
        {Frame, {}, {"AC_DC/_/a_b.mp3"}},
        {Exit, {}, {"AC_DC/_/a_b.mp3"}},
        {Background, {Ended(3, 3)}, {"AC_DC/_/a_b.mp3", "AC_DC/_/c_d.mp3", "AC_DC/_/e_f.mp3"}},
        {QuestionYes, {Question}, {"AC_DC/_/a_b.mp3", "AC_DC/_/c_d.mp3", "AC_DC/_/e_f.mp3"}},
        {QuestionNo, {Question, Ended(3, 3)}, {"AC_DC/_/a_b.mp3", "AC_DC/_/c_d.mp3", "AC_DC/_/e_f.mp3"}},
    };
    HoldTheSecondTitle();
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.way));
        shown.clear();
        QDir(root).removeRecursively();
        QDir().mkpath(root);
        held = release = false;
        frmDeviceWizard* w = Copy("Drei");
        ASSERT_TRUE(PumpUntil([&] { return bool(held); }));
        // The progress timer goes on while the worker is inside a file.
        ASSERT_TRUE(PumpUntil([&] { return w->Label2->text() == "Titel 2 von 3 wird kopiert ..."; }));
        EXPECT_EQ(w->Label10->text() + '|' + QString::number(w->ProgressBar1->value()), "c_d.mp3|1");
        if (r.way == Exit) {
            // The exit waits for the worker, which sees the cancel at its next block.
            std::atomic<bool> exiting{false};
            std::thread releaser([&] {
                while (!exiting) QThread::usleep(100);
                QThread::msleep(50);
                release = true;
            });
            exiting = true;
            UnloadDeviceWizard();
            releaser.join();
            EXPECT_FALSE(IsBusy());
        } else if (r.way == Background) {
            w->cmd_WindowsXP_Button4->click();
            EXPECT_TRUE(w->isHidden());
            release = true;
        } else if (r.way == QuestionYes || r.way == QuestionNo) {
            onMessage = [&] {
                if (shown.last() != Question) return;
                release = true;
                PumpUntil([&] { return !w->Copying(); });
                for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
                messageAnswer = r.way == QuestionYes ? MsgYes : MsgNo;
            };
            w->cmd_WindowsXP_Button1->click();
            onMessage = nullptr;
            messageAnswer = MsgYes;
        } else {
            if (r.way == Frame) w->close();
            else w->cmd_WindowsXP_Button1->click();
            EXPECT_EQ(DeviceWizard(), nullptr);
            EXPECT_TRUE(IsBusy());  // until the worker has stopped
            release = true;
        }
        EXPECT_TRUE(r.way == QuestionNo || PumpUntil([] { return !IsBusy(); }));
        EXPECT_EQ(shown, r.shown);
        EXPECT_EQ(DeviceWizard(), r.way == QuestionNo ? w : nullptr);
        UnloadDeviceWizard();
        EXPECT_EQ(BusyCaption(), Idle);
        EXPECT_FALSE(IsBusy());
        EXPECT_EQ(FilesUnder(root), r.files);
    }
}

// The search and the copy disable the focused next button. The focus waits
// in the wizard, not on cancel or "&Hintergrund" where the next key would act,
// and is the button's again when it is enabled; focus the user moved
// meanwhile stays where he put it, unless on "&Hintergrund", which the end
// disables for good.
TEST_F(DeviceWizardTest, ItsOwnWorkKeepsTheFocusForTheNextButton)
{
    const auto name = [](const QWidget* w) { return w ? w->objectName().toStdString() : std::string("(none)"); };
    const struct { int page; const char* movedTo; const char* after; } rows[] = {
        {2, nullptr, "cmd_WindowsXP_Button2"},
        {2, "cmd_WindowsXP_Button1", "cmd_WindowsXP_Button1"},
        {3, nullptr, "cmd_WindowsXP_Button2"},
        {3, "cmd_WindowsXP_Button1", "cmd_WindowsXP_Button1"},
        {3, "cmd_WindowsXP_Button4", "cmd_WindowsXP_Button2"},  // "&Hintergrund" goes with the end
    };
    HoldTheSecondTitle();
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.page) + (r.movedTo ? " moved" : ""));
        shown.clear();
        held = release = false;
        OpenDeviceWizard();
        frmDeviceWizard* w = DeviceWizard();
        w->activateWindow();
        QApplication::processEvents();
        Tick(w, "Drei");
        std::string during;
        const auto duringTheWork = [&] {
            during = name(QApplication::focusWidget());
            if (r.movedTo) w->findChild<QWidget*>(r.movedTo)->setFocus(Qt::MouseFocusReason);
        };
        for (int page = 1; page <= r.page; ++page) {
            w->cmd_WindowsXP_Button2->setFocus(Qt::MouseFocusReason);
            if (page == 2 && r.page == 2) QTimer::singleShot(0, w, duringTheWork);
            w->cmd_WindowsXP_Button2->click();
        }
        if (r.page == 3) {
            ASSERT_TRUE(PumpUntil([&] { return bool(held); }));
            duringTheWork();
            release = true;
            ASSERT_TRUE(PumpUntil([&] { return !shown.isEmpty(); }));
        }
        EXPECT_EQ(during, "frmDeviceWizard");
        EXPECT_EQ(name(QApplication::focusWidget()), r.after);
        UnloadDeviceWizard();
    }
}

} // namespace
