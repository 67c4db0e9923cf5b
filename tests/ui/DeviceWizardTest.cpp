#include "ui/dialogs/frmDeviceWizard.h"

#include "core/Busy.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "platform/DeviceCopy.h"
#include "ui/main/OtherWindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <sys/stat.h>

namespace {

constexpr int64_t MiB = 1 << 20;
const QString Idle = QStringLiteral("Sarovin");

template <typename Done>
bool PumpUntil(Done done)
{
    for (int i = 0; i < 20000 && !done(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(500);
    }
    return done();
}

// Fifteen titles of 768 MB each (the last without a title) in a library
// folder, a folder standing in for a stick with 10 GB free, two playlists:
// "Zwölf" (rated titles 0..11) and "Drei" (titles 0..2, hostile tags; the
// second one 2 MiB).
class DeviceWizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLibrary = Library;
        savedPlaylists = Settings.DynPlaylists;
        ASSERT_TRUE(tmp.isValid());
        root = tmp.filePath("stick");
        QDir().mkpath(root);
        QDir().mkpath(tmp.filePath("lib"));

        Library = LibraryDatabase();
        const char* hostile[] = {"a:b", "c*d", "e?f"};
        for (int i = 0; i < 15; ++i) {
            LibraryEntry e;
            e.FileName = tmp.filePath(QStringLiteral("lib/%1.mp3").arg(i));
            QFile f(e.FileName);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(i == 1 ? QByteArray(2 * MiB, 'x') : QByteArray::number(i));
            e.Tags.Title = i < 3 ? hostile[i] : i < 14 ? QStringLiteral("Titel %1").arg(i) : QString();
            e.Tags.Artist = i < 3 ? "AC/DC" : "Artist";
            e.Tags.Album = i < 3 ? ".." : "Album";
            e.Tags.Genre = i < 3 ? "drei" : "rock";
            e.Rating = i < 12 ? 1 : 0;
            e.SizeInMB = 768;
            Library.Files.append(e);
        }
        Library.ListSets[PlayingQueue].Entries = {{QString(), {-1, 3, 99999}}};
        Library.ListSets[ViewList].Entries = {{QString(), {7, 8}}};
        Settings.DynPlaylists = {};
        Settings.DynPlaylists[2] = {"Zwölf", "rating>=1"};
        Settings.DynPlaylists[5] = {"Drei", "genre=drei"};

        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(root).constData(), &st), 0);
        volumes = {{root, "STICK", "-559038737", "vfat", 16.0 * 1024 * MiB, 10.0 * 1024 * MiB, uint64_t(st.st_dev)}};
        SetVolumeSource([this] { return volumes; });
        SetMessageBoxService([this](const QString& text, int style, const QString&) {
            if (style != 52) {
                messages << text;
                return int(MsgOk);
            }
            ++questions;
            return answer ? answer() : int(MsgYes);
        });
    }

    void TearDown() override
    {
        release = true;
        UnloadDeviceWizard();
        SetCopyBlockHook({});
        SetVolumeSource({});
        SetMessageBoxService({});
        Library = savedLibrary;
        Settings.DynPlaylists = savedPlaylists;
    }

    frmDeviceWizard* Open()
    {
        OpenDeviceWizard();
        return DeviceWizard();
    }

    static int Page(frmDeviceWizard* w)
    {
        for (int i = 0; i < 4; ++i)
            if (!w->tab[i]->isHidden()) return i;
        return -1;
    }

    static void Tick(frmDeviceWizard* w, const QString& name)
    {
        const auto items = w->List1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        items[0]->setCheckState(Qt::Checked);
    }

    // Ticks the playlist and goes to the copy page.
    frmDeviceWizard* StartCopy(const QString& playlist)
    {
        frmDeviceWizard* w = Open();
        Tick(w, playlist);
        for (int i = 0; i < 3; ++i) w->cmd_WindowsXP_Button2->click();
        return w;
    }

    // The worker waits at the start of this title's second MiB until released.
    void HoldTitle(int job)
    {
        SetCopyBlockHook([this, job](int j, int64_t written) {
            if (j == job && written >= MiB) {
                held = true;
                while (!release) QThread::usleep(200);
            }
            return 0;
        });
    }

    QStringList FilesOnStick() const
    {
        QStringList out;
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) out << it.next().mid(root.size() + 1);
        out.sort();
        return out;
    }

    static QString Ended(int copied, int attempted)
    {
        return QStringLiteral("Synchronisation wurde beendet.\r\nEs wurden %1 von %2 Titel erfolgreich kopiert.")
            .arg(copied)
            .arg(attempted);
    }

    LibraryDatabase savedLibrary;
    std::array<DynPlaylist, DynPlaylistCount> savedPlaylists;
    QTemporaryDir tmp;
    QString root;
    QVector<DeviceVolume> volumes;
    QStringList messages;
    int questions = 0;
    std::function<int()> answer;
    std::atomic<bool> held{false}, release{false};
};

TEST_F(DeviceWizardTest, BackAndNextAlongThePages)
{
    QStringList captions;
    const Subscription sub = SubscribeCaption([&](const QString& c) { captions << c; });
    frmDeviceWizard* w = Open();
    ASSERT_TRUE(w);
    EXPECT_EQ(BusyCaption(), QStringLiteral("Sarovin - Gerätesynchronisation..."));
    EXPECT_EQ(w->lblName->text(), QStringLiteral("STICK"));
    EXPECT_EQ(w->lblDetails->text(), QStringLiteral("Verfügbarer Speicher: 16 GB\nFreier Speicher: 10 GB\n"
                                                    "Dateisystem: vfat\nSeriennummer: -559038737"));
    const struct {
        QPushButton* button;
        int page;
        bool back, next;
        const char* title;
    } steps[] = {
        {nullptr, 0, true, true, "Geräteauswahl"},
        {w->cmd_WindowsXP_Button2, 1, true, true, "Synchronisations-Titel"},
        {w->cmd_WindowsXP_Button3, 0, false, true, "Geräteauswahl"},
        {w->cmd_WindowsXP_Button2, 1, false, true, "Synchronisations-Titel"},
        {w->cmd_WindowsXP_Button2, 2, true, true, "Titel werden gesucht ..."},
        {w->cmd_WindowsXP_Button2, 3, false, false, "Synchronisation Läuft"},
    };
    for (const auto& s : steps) {
        if (s.button) s.button->click();
        EXPECT_EQ(Page(w), s.page);
        EXPECT_EQ(w->cmd_WindowsXP_Button3->isEnabled(), s.back) << s.page;
        EXPECT_EQ(w->cmd_WindowsXP_Button2->isEnabled(), s.next) << s.page;
        EXPECT_EQ(w->lblTitle->text(), QString::fromUtf8(s.title));
    }
    EXPECT_EQ(w->cmd_WindowsXP_Button2->text(), QStringLiteral("&Fertig"));
    // Nothing ticked: nothing to copy.
    ASSERT_TRUE(PumpUntil([&] { return !messages.isEmpty(); }));
    EXPECT_EQ(messages, QStringList{Ended(0, 0)});
    EXPECT_TRUE(w->cmd_WindowsXP_Button2->isEnabled());
    w->cmd_WindowsXP_Button2->click();
    EXPECT_EQ(DeviceWizard(), nullptr);
    EXPECT_EQ(captions, (QStringList{"Sarovin - Gerätesynchronisation...", Idle}));

    // Back on the first page closes too; without a drive there is no next.
    volumes.clear();
    w = Open();
    EXPECT_FALSE(w->cmd_WindowsXP_Button2->isEnabled());
    w->cmd_WindowsXP_Button3->click();
    EXPECT_EQ(DeviceWizard(), nullptr);
    EXPECT_FALSE(IsBusy());
    EXPECT_EQ(questions, 0);
}

TEST_F(DeviceWizardTest, TheFirstTickedSourceFillsTheSyncList)
{
    const struct {
        QStringList ticked;
        int count;
        bool warning;
    } rows[] = {
        {{}, 0, false},
        {{"Aktuelle Wiedergabe", "Alle Titel"}, 14, true},  // 14 x 768 MB = 10.5 GB, 10 GB free
        {{"Aktuelle Wiedergabe"}, 1, false},
        {{"Zwölf"}, 12, false},
    };
    for (const auto& r : rows) {
        frmDeviceWizard* w = Open();
        for (const QString& name : r.ticked) Tick(w, name);
        Settings.DynPlaylists[2] = {};  // the list shows what was there at load
        w->cmd_WindowsXP_Button2->click();
        w->cmd_WindowsXP_Button2->click();
        EXPECT_EQ(w->Label5->text(), QStringLiteral("Es befinden sich %1 Titel in der Synchronisations-Liste.").arg(r.count));
        EXPECT_EQ(w->frNoSpace->isVisibleTo(w), r.warning) << r.count;
        EXPECT_EQ(Library.ListSets[ViewList].Entries[0].Items, (QVector<int32_t>{7, 8}));
        UnloadDeviceWizard();
        Settings.DynPlaylists[2] = {"Zwölf", "rating>=1"};
    }
}

TEST_F(DeviceWizardTest, HostileTagsLandUnderTheRootAndAFailedTitleIsCounted)
{
    QFile::remove(Library.Files[1].FileName);
    StartCopy("Drei");
    ASSERT_TRUE(PumpUntil([&] { return !messages.isEmpty(); }));
    EXPECT_EQ(messages, QStringList{Ended(2, 3)});
    EXPECT_EQ(FilesOnStick(), (QStringList{"AC_DC/_/a_b.mp3", "AC_DC/_/e_f.mp3"}));
    ASSERT_TRUE(DeviceWizard());
    EXPECT_EQ(DeviceWizard()->ProgressBar1->value(), DeviceWizard()->ProgressBar1->maximum());
}

TEST_F(DeviceWizardTest, CancelCloseOrExitDuringTheCopyStopsItQuietly)
{
    enum Way { CancelButton, Frame, Exit };
    for (const Way way : {CancelButton, Frame, Exit}) {
        held = release = false;
        questions = 0;
        QDir(root).removeRecursively();
        QDir().mkpath(root);
        HoldTitle(1);
        frmDeviceWizard* w = StartCopy("Drei");
        // The progress timer goes on while the worker is inside a file.
        ASSERT_TRUE(PumpUntil([&] { return held && w->Label2->text() == QStringLiteral("Titel 2 von 3 wird kopiert ..."); }));
        EXPECT_EQ(w->Label10->text(), QStringLiteral("c_d.mp3"));
        EXPECT_EQ(w->ProgressBar1->value(), 1);
        if (way == Exit) {
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
        } else {
            if (way == Frame)
                w->close();
            else
                w->cmd_WindowsXP_Button1->click();
            EXPECT_EQ(DeviceWizard(), nullptr);
            EXPECT_TRUE(IsBusy());  // until the worker has stopped
            release = true;
            ASSERT_TRUE(PumpUntil([] { return !IsBusy(); }));
        }
        EXPECT_EQ(questions, way == CancelButton ? 1 : 0);
        EXPECT_EQ(BusyCaption(), Idle);
        EXPECT_EQ(FilesOnStick(), QStringList{"AC_DC/_/a_b.mp3"});
        EXPECT_TRUE(messages.isEmpty());
    }
}

TEST_F(DeviceWizardTest, InTheBackgroundTheEndStillReportsAndUnloads)
{
    HoldTitle(1);
    frmDeviceWizard* w = StartCopy("Drei");
    ASSERT_TRUE(PumpUntil([&] { return bool(held); }));
    w->cmd_WindowsXP_Button4->click();
    EXPECT_TRUE(w->isHidden());
    EXPECT_EQ(w->Tag, QStringLiteral("Hidden"));
    release = true;
    ASSERT_TRUE(PumpUntil([] { return DeviceWizard() == nullptr; }));
    EXPECT_EQ(messages, QStringList{Ended(3, 3)});
    EXPECT_EQ(BusyCaption(), Idle);
    EXPECT_FALSE(IsBusy());
}

TEST_F(DeviceWizardTest, TheEndArrivingWhileTheCancelQuestionIsOpen)
{
    for (const int reply : {int(MsgYes), int(MsgNo)}) {
        held = release = false;
        HoldTitle(1);
        frmDeviceWizard* w = StartCopy("Drei");
        ASSERT_TRUE(PumpUntil([&] { return bool(held); }));
        answer = [&] {
            release = true;
            PumpUntil([&] { return !w->Copying(); });
            for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
            return reply;
        };
        w->cmd_WindowsXP_Button1->click();
        answer = nullptr;
        if (reply == MsgYes) {
            EXPECT_EQ(DeviceWizard(), nullptr);
            EXPECT_TRUE(messages.isEmpty());
            ASSERT_TRUE(PumpUntil([] { return !IsBusy(); }));
        } else {
            // The report comes once the question is answered, and the wizard stays.
            EXPECT_EQ(messages, QStringList{Ended(3, 3)});
            EXPECT_EQ(DeviceWizard(), w);
            EXPECT_TRUE(w->cmd_WindowsXP_Button2->isEnabled());
            UnloadDeviceWizard();
        }
        EXPECT_EQ(BusyCaption(), Idle);
        messages.clear();
    }
}

TEST_F(DeviceWizardTest, OpenShowsTheLoadedWizardAndRefusesWhileBusy)
{
    frmDeviceWizard* w = Open();
    w->Tag = QStringLiteral("Hidden");
    w->hide();
    OpenDeviceWizard();
    EXPECT_EQ(DeviceWizard(), w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Tag, QString());
    UnloadDeviceWizard();

    BusyGuard other;
    OpenDeviceWizard();
    EXPECT_EQ(DeviceWizard(), nullptr);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Sarovin ist zur Zeit beschäftigt.")));
}

} // namespace
