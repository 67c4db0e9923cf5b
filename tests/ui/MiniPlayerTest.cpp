// The mini player with a fake main window, an injected pointer and key state,
// and answered message boxes.
#include "ui/dialogs/frmMiniPlayer.h"

#include "WindowTestSupport.h"
#include "core/LibrarySync.h"
#include "core/Units.h"
#include "ui/main/OtherWindows.h"

#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QVector<int32_t>& Queue() { return Library.ListSets[PlayingQueue].Entries[0].Items; }

// The main window's side as far as the strip sees it; "Audio:Next" drops a
// -1 head, otherwise moves on by the repeat rule, and plays the new head.
class FakeHost : public MiniPlayerHost {
public:
    bool Command(const QString& command) override
    {
        calls.append(command);
        if (command == QLatin1String("Audio:Next") && !Queue().isEmpty()) {
            const int32_t head = Queue().takeFirst();
            if (head != -1 && IsOn(Settings.RepeatAll)) Queue().append(head);
            if (!Queue().isEmpty()) AudioPlay(Queue().first());
        }
        return true;
    }
    void AudioPlay(int32_t index) override { calls.append(QStringLiteral("play %1").arg(index)); }
    void SetVol(int32_t volume) override { calls.append(QStringLiteral("vol %1").arg(volume)); }
    void ToggleTray() override { calls.append(QStringLiteral("tray")); }
    QStringList calls;
};

class MiniPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDatabase(Library);
        Settings.ShowMiniPlayer = SwitchOn;
        SetTagReader(&reader);
        RecordMessages(messages);
        SetMiniPlayerHost(&host);
        SetMiniPlayerInputSource([this](const QWidget&) { return input; });
        LoadMiniPlayer();
        mini = frmMiniPlayer::Loaded();
        ASSERT_NE(mini, nullptr);
    }
    void TearDown() override
    {
        UnloadMiniPlayer();
        SetMiniPlayerHost(nullptr);
        SetMiniPlayerInputSource({});
    }

    QString File(const QString& name, const QByteArray& content = "x")
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
    // Library titles a0.mp3, a1.mp3, a2.mp3 at 0, 1, 2; titles 0 and 1 queued.
    void ThreeTitles()
    {
        for (const char* n : {"a0.mp3", "a1.mp3", "a2.mp3"}) ASSERT_TRUE(AddFile(Library, File(n)));
        BuildListSets(Library);
        Queue() = {0, 1};
    }
    QTimer* Timer(const char* name) { return mini->findChild<QTimer*>(QLatin1String(name)); }
    int BarWidth() { return mini->findChild<QWidget*>(QStringLiteral("Shape1"))->width(); }
    // A press (and release) where the user points, delivered as the window system would.
    void Click(QPoint at, bool release = true)
    {
        QWidget* target = mini->childAt(at);
        if (!target) target = mini;
        const QPointF local = target->mapFrom(mini, at);
        QMouseEvent press(QEvent::MouseButtonPress, local, local, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        if (!release) return;
        QMouseEvent up(QEvent::MouseButtonRelease, local, local, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &up);
    }

    SavedGlobals saved;
    QTemporaryDir dir;
    FileTagReader reader;
    FakeHost host;
    QStringList messages;
    MiniPlayerInput input;
    frmMiniPlayer* mini = nullptr;
};

using View = frmMiniPlayer::View;

TEST_F(MiniPlayerTest, VisibilityByPointerCtrlAndOtherWindows)
{
    const struct {
        bool other, ctrl;
        int y;
        bool volumeShowing, shown;
        View view;
    } rows[] = {
        {true, false, 300, false, false, View::Title},
        {true, true, 0, false, false, View::Title},
        {false, false, 0, false, false, View::Title},
        {false, false, 50, false, false, View::Title},
        {false, false, 51, false, true, View::Title},
        {false, false, 51, true, true, View::Volume},
        {false, true, 0, false, true, View::Controls},
        {false, true, 50, true, true, View::Controls},
        {false, true, 51, false, true, View::Title},
    };
    for (const auto& r : rows) {
        mini->Timer2_Timer();
        mini->hide();
        if (r.volumeShowing) mini->ShowVol(1000);
        input = {r.y, r.ctrl, r.other};
        mini->Timer1_Timer();
        const int row = int(&r - rows);
        EXPECT_EQ(mini->isVisible(), r.shown) << row;
        if (!r.shown) continue;
        EXPECT_EQ(mini->CurrentView(), r.view) << row;
        for (const char* b : {"hlbPause", "hlbNext", "hlbShow"})
            EXPECT_EQ(mini->findChild<QWidget*>(QLatin1String(b))->isVisible(), r.view == View::Controls) << row << b;
    }
}

TEST_F(MiniPlayerTest, SwitchedOffUnloadsAtTheNextTickAndATitleLineBringsItBack)
{
    input = {100, false, false};
    QPointer<frmMiniPlayer> old = mini;
    mini->ShowVol(2000);
    Settings.ShowMiniPlayer = 0;
    mini->Timer1_Timer();
    EXPECT_EQ(frmMiniPlayer::Loaded(), nullptr);
    EXPECT_FALSE(Timer("Timer1")->isActive());
    EXPECT_FALSE(Timer("Timer2")->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());

    MiniPlayerTitle(QStringLiteral("Lied - Band"));  // off: nothing loads
    EXPECT_EQ(frmMiniPlayer::Loaded(), nullptr);
    Settings.ShowMiniPlayer = SwitchOn;
    MiniPlayerTitle(QStringLiteral("Lied - Band"));
    mini = frmMiniPlayer::Loaded();
    ASSERT_NE(mini, nullptr);
    EXPECT_EQ(mini->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Lied - Band"));
    EXPECT_EQ(mini->TitleText, QStringLiteral("Lied - Band"));
    EXPECT_TRUE(Timer("Timer1")->isActive());
    MiniPlayerIdle();
    EXPECT_EQ(mini->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("keine Wiedergabe"));
}

TEST_F(MiniPlayerTest, ShowVolSetsTheBarAndHoldsTheVolumeView)
{
    const int before = BarWidth();
    mini->ShowVol(-1);
    EXPECT_EQ(BarWidth(), before);
    EXPECT_FALSE(Timer("Timer2")->isActive());
    EXPECT_EQ(mini->CurrentView(), View::Title);

    const struct { double vol; int twips; } rows[] = {{16384, 2347}, {32768, 4695}, {0, 0}};
    for (const auto& r : rows) {
        MiniPlayerShowVol(r.vol);
        EXPECT_EQ(BarWidth(), TwipsToPixels(r.twips)) << r.vol;
        EXPECT_EQ(mini->CurrentView(), View::Volume);
        EXPECT_TRUE(Timer("Timer2")->isActive());
    }
    mini->Timer2_Timer();
    EXPECT_EQ(mini->CurrentView(), View::Title);
    EXPECT_FALSE(Timer("Timer2")->isActive());
}

TEST_F(MiniPlayerTest, MouseSetsTheVolumeLeftToRightAndButtonsSendOnlyTheirCommand)
{
    ASSERT_EQ(mini->logicalDpiX(), 96);
    const struct { int x; const char* sent; } rows[] = {
        {143, ""}, {144, "vol 0"}, {300, "vol 16332"}, {457, "vol 32768"}, {463, "vol 32768"},
    };
    for (const auto& r : rows) {  // title view: the press falls through Label1
        host.calls.clear();
        Click({r.x, 12});
        EXPECT_EQ(host.calls.join(u','), QLatin1String(r.sent)) << r.x;
    }
    host.calls.clear();
    QMouseEvent drag(QEvent::MouseMove, QPointF(300, 12), QPointF(300, 12), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(mini, &drag);
    QMouseEvent hover(QEvent::MouseMove, QPointF(400, 12), QPointF(400, 12), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(mini, &hover);
    EXPECT_EQ(host.calls, QStringList{"vol 16332"});

    input = {0, true, false};
    mini->Timer1_Timer();
    ASSERT_EQ(mini->CurrentView(), View::Controls);
    const struct { int x; const char* sent; } buttons[] = {
        {20, "Audio:Pause"}, {60, "Audio:Next"}, {100, "tray"}, {300, "vol 16332"},
    };
    for (const auto& b : buttons) {
        host.calls.clear();
        Click({b.x, 12});
        EXPECT_EQ(host.calls.join(u','), QLatin1String(b.sent)) << b.x;
    }
}

TEST_F(MiniPlayerTest, DroppedFiles)
{
    ThreeTitles();
    File("kaputt.mp3", "kaputt");
    for (const char* n : {"n.mp3", "N.MP3", "n.ogg", "L.M3U"}) File(n);
    const QString a1 = dir.filePath("a1.mp3");
    const QString unknownType = QStringLiteral("0|Unbekannter Dateityp");
    const QString unplayable = QStringLiteral("48|Die Datei kann nicht abgespielt werden.");
    const struct {
        QString path;
        QString message;
        QVector<int32_t> queue;  // after the drop; titles 0 and 1 were queued
        QString played;
    } rows[] = {
        {dir.filePath("a2.mp3"), "", {0, 1, 2}, "play 2"},
        {a1, "", {0, 1}, "play 1"},
        {a1.toUpper().replace(".MP3", ".mp3"), unplayable, {0, 1}, ""},
        {dir.filePath("n.mp3"), "", {0, 1, 3}, "play 3"},
        {dir.filePath("N.MP3"), unknownType, {0, 1}, ""},
        {dir.filePath("n.ogg"), unknownType, {0, 1}, ""},
        {dir.filePath("L.M3U"), unknownType, {0, 1}, ""},
        {dir.filePath("kaputt.mp3"), unplayable, {0, 1}, ""},
    };
    for (const auto& r : rows) {
        const LibraryDatabase before = Library;
        Library.ListSets[ViewList].Entries[0].Items = {2, 0};
        Library.ListSets[SyncList].Entries[0].Items = {1};
        host.calls.clear();
        messages.clear();
        mini->DropFile(r.path);
        const std::string row = r.path.toStdString();
        EXPECT_EQ(messages.join(u','), r.message) << row;
        EXPECT_EQ(host.calls.join(u','), r.played) << row;
        EXPECT_EQ(Queue(), r.queue) << row;
        EXPECT_EQ(Library.ListSets[ViewList].Entries[0].Items, (QVector<int32_t>{2, 0})) << row;
        EXPECT_EQ(Library.ListSets[SyncList].Entries[0].Items, QVector<int32_t>{1}) << row;
        EXPECT_EQ(Library.Files.size(), before.Files.size() + (r.queue.size() == 3 && r.queue[2] == 3)) << row;
        Library = before;
    }
    Library = {};
    ResetDatabase(Library);
    ThreeTitles();
    mini->DropFile(dir.filePath("n.mp3"));
    ASSERT_EQ(Library.Files.size(), 4);
    bool listed = false;  // the category slots know the new title
    for (const ListEntry& e : Library.ListSets[ArtistSet].Entries) listed = listed || e.Items.contains(3);
    EXPECT_TRUE(listed);
}

TEST(MiniPlayerDrop, TheFirstLocalFileOfTheListCounts)
{
    QMimeData text, two, remote;
    text.setText(QStringLiteral("/m/a.mp3"));
    two.setUrls({QUrl::fromLocalFile("/m/a.mp3"), QUrl::fromLocalFile("/m/b.mp3")});
    remote.setUrls({QUrl("https://example.org/a.mp3"), QUrl::fromLocalFile("/m/b.mp3")});
    EXPECT_EQ(DroppedFile(text), QString());
    EXPECT_EQ(DroppedFile(two), QStringLiteral("/m/a.mp3"));
    EXPECT_EQ(DroppedFile(remote), QString());
}

TEST_F(MiniPlayerTest, DroppedPlaylistQueuesExactlyItsTitlesInFileOrder)
{
    ThreeTitles();
    const QString a0 = dir.filePath("a0.mp3"), a1 = dir.filePath("a1.mp3"), a2 = dir.filePath("a2.mp3");
    const QString n = File("n.mp3"), bad = File("kaputt.mp3", "kaputt");
    const struct {
        QString text;  // nullptr: no file
        QVector<int32_t> queue;
        int added;
    } rows[] = {
        {"#EXTM3U\r\n#EXTINF:1,x\r\n" + a2 + "\r\n" + a0 + "\r\n", {2, 0}, 0},
        {a1 + "\n" + a2 + "\n", {1, 2}, 0},
        {"\n" + a2 + "\nrel/a0.mp3\n\n" + n + "\n" + bad + "\n" + n + "\n" + a2 + "\n", {2, 3}, 1},
        {"#" + a0 + "\n" + a1, {1}, 0},
        {"", {0, 1}, 0},
        {"# nur Kommentar\r\n", {0, 1}, 0},
        {QString(), {0, 1}, 0},
    };
    for (const Switch repeatAll : {Switch(0), SwitchOn}) {
        Settings.RepeatAll = repeatAll;
        for (const auto& r : rows) {
            const LibraryDatabase before = Library;
            const QString path = dir.filePath("list.m3u");
            QFile::remove(path);
            if (!r.text.isNull()) File("list.m3u", r.text.toUtf8());
            host.calls.clear();
            messages.clear();
            mini->DropFile(path);
            const std::string row = r.text.toStdString();
            EXPECT_EQ(Queue(), r.queue) << row;
            EXPECT_EQ(Library.Files.size(), before.Files.size() + r.added) << row;
            const bool listed = r.queue != QVector<int32_t>{0, 1};
            EXPECT_EQ(messages.isEmpty(), listed) << row;
            if (listed) {
                EXPECT_EQ(host.calls, (QStringList{"Audio:Next", QStringLiteral("play %1").arg(r.queue[0]), "AudioPlaying"}))
                    << row;
            }
            Library = before;
        }
    }
}

} // namespace
