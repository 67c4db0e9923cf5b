// The mini player with a fake main window, an injected pointer and key state,
// and answered message boxes.
#include "ui/dialogs/frmMiniPlayer.h"

#include "tests/support/AudioFixtures.h"
#include "tests/support/WindowTest.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "core/Units.h"
#include "ui/main/OtherWindows.h"

#include <QMimeData>
#include <QUrl>

namespace {

QVector<int32_t>& Queue() { return Library.ListSets[PlayingQueue].Entries[0].Items; }
QVector<int32_t>& Slot(int set) { return Library.ListSets[set].Entries[0].Items; }

// Any file but one reading "kaputt" is a title of "Band".
struct FileTagReader : TagReader {
    TagReading Open(const QString& path) override
    {
        const QByteArray bytes = ReadRawFile(path);
        return bytes.isEmpty() || bytes == "kaputt" ? TagReading{} : TagReading{.Format = 1, .Artist = "Band"};
    }
};

// "Audio:Next" as the main window does it: a -1 head goes, else the repeat
// rule; then the new head plays.
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

class MiniPlayerTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ResetDatabase(Library);
        Settings.ShowMiniPlayer = SwitchOn;
        SetTagReader(&reader);
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
        EXPECT_TRUE(WriteRawFile(dir.filePath(name), content));
        return dir.filePath(name);
    }
    QTimer* Timer(const char* name) { return mini->findChild<QTimer*>(QLatin1String(name)); }
    // A press and release where the user points, delivered as the window system would.
    QString Click(int x)
    {
        host.calls.clear();
        QWidget* target = mini->childAt(x, 12) ? mini->childAt(x, 12) : mini;
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            SendMouse(target, t, target->mapFrom(mini, QPointF(x, 12)));
        return host.calls.join(u',');
    }

    QTemporaryDir dir;
    FileTagReader reader;
    FakeHost host;
    MiniPlayerInput input;
    frmMiniPlayer* mini = nullptr;
};

using View = frmMiniPlayer::View;

TEST_F(MiniPlayerTest, VisibilityByPointerCtrlAndOtherWindows)
{
    const struct { bool other, ctrl; int y; bool volumeShowing, shown; View view; } rows[] = {
        {true, false, 300, false, false, View::Title},  {true, true, 0, false, false, View::Title},
        {false, false, 50, false, false, View::Title},  {false, false, 51, false, true, View::Title},
        {false, false, 51, true, true, View::Volume},   {false, true, 0, false, true, View::Controls},
        {false, true, 50, true, true, View::Controls},  {false, true, 51, false, true, View::Title},
    };
    for (const auto& r : rows) {
        mini->Timer2_Timer();
        mini->hide();
        if (r.volumeShowing) mini->ShowVol(1000);
        input = {r.y, r.ctrl, r.other};
        mini->Timer1_Timer();
        SCOPED_TRACE(int(&r - rows));
        EXPECT_EQ(mini->isVisible(), r.shown);
        EXPECT_TRUE(!r.shown || mini->CurrentView() == r.view);
        EXPECT_EQ(mini->findChild<QWidget*>("hlbShow")->isVisible(), r.shown && r.view == View::Controls);
    }
}

TEST_F(MiniPlayerTest, SwitchedOffUnloadsAtTheNextTickAndATitleLineBringsItBack)
{
    QPointer<frmMiniPlayer> old = mini;
    mini->ShowVol(2000);
    Settings.ShowMiniPlayer = 0;
    mini->Timer1_Timer();
    EXPECT_FALSE(frmMiniPlayer::Loaded() || Timer("Timer1")->isActive() || Timer("Timer2")->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());

    MiniPlayerTitle("Lied - Band");  // still off: nothing loads
    EXPECT_EQ(frmMiniPlayer::Loaded(), nullptr);
    Settings.ShowMiniPlayer = SwitchOn;
    MiniPlayerTitle("Lied - Band");
    mini = frmMiniPlayer::Loaded();
    ASSERT_NE(mini, nullptr);
    EXPECT_EQ(mini->findChild<QLabel*>("Label1")->text() + "|" + mini->TitleText, "Lied - Band|Lied - Band");
    EXPECT_TRUE(Timer("Timer1")->isActive());
}

TEST_F(MiniPlayerTest, ShowVolSetsTheBarAndHoldsTheVolumeView)
{
    QWidget* bar = mini->findChild<QWidget*>("Shape1");
    const int before = bar->width();
    mini->ShowVol(-1);
    EXPECT_TRUE(bar->width() == before && !Timer("Timer2")->isActive());
    const struct { double vol; int twips; } rows[] = {{16384, 2347}, {32768, 4695}, {0, 0}};
    for (const auto& r : rows) {
        MiniPlayerShowVol(r.vol);
        EXPECT_EQ(bar->width(), TwipsToPixels(r.twips)) << r.vol;
        EXPECT_TRUE(mini->CurrentView() == View::Volume && Timer("Timer2")->isActive());
    }
    mini->Timer2_Timer();
    EXPECT_TRUE(mini->CurrentView() == View::Title && !Timer("Timer2")->isActive());
}

TEST_F(MiniPlayerTest, MouseSetsTheVolumeAndButtonsSendOnlyTheirCommand)
{
    ASSERT_EQ(mini->logicalDpiX(), 96);
    // Title view: presses fall through Label1 to the strip.
    for (const auto& [x, sent] :
         {std::pair{143, ""}, {144, "vol 0"}, {300, "vol 16332"}, {457, "vol 32768"}, {463, "vol 32768"}})
        EXPECT_EQ(Click(x), QLatin1String(sent)) << x;
    host.calls.clear();
    SendMouse(mini, QEvent::MouseMove, QPointF(300, 12));  // dragged
    QMouseEvent hover(QEvent::MouseMove, QPointF(400, 12), QPointF(400, 12), Qt::NoButton, {}, Qt::NoModifier);
    QApplication::sendEvent(mini, &hover);
    EXPECT_EQ(host.calls, QStringList{"vol 16332"});

    input = {0, true, false};
    mini->Timer1_Timer();
    for (const auto& [x, sent] : {std::pair{20, "Audio:Pause"}, {60, "Audio:Next"}, {100, "tray"}, {300, "vol 16332"}})
        EXPECT_EQ(Click(x), QLatin1String(sent)) << x;
}

TEST(MiniPlayerDrop, TheFirstLocalFileOfTheListCounts)
{
    QMimeData text, two, remote;
    text.setText("/m/a.mp3");
    two.setUrls({QUrl::fromLocalFile("/m/a.mp3"), QUrl::fromLocalFile("/m/b.mp3")});
    remote.setUrls({QUrl("https://example.org/a.mp3"), QUrl::fromLocalFile("/m/b.mp3")});
    EXPECT_EQ(DroppedFile(text) + "|" + DroppedFile(two) + "|" + DroppedFile(remote), "|/m/a.mp3|");
}

// A known title plays; a new one joins the library (and its categories) and
// plays; a playlist queues exactly its titles in file order. The view and
// device lists stay, whatever the repeat mode.
TEST_F(MiniPlayerTest, DroppedTitlesAndPlaylists)
{
    for (const char* n : {"a0.mp3", "a1.mp3", "a2.mp3"}) ASSERT_TRUE(AddFile(Library, File(n)));
    BuildListSets(Library);
    Queue() = {0, 1};
    for (const char* n : {"N.MP3", "n.ogg", "L.M3U"}) File(n);
    const QString a0 = dir.filePath("a0.mp3"), a1 = dir.filePath("a1.mp3"), a2 = dir.filePath("a2.mp3");
    const QString n = File("n.mp3"), bad = File("kaputt.mp3", "kaputt"), list = dir.filePath("list.m3u");
    const QString unknown = "0|Sarovin|Unbekannter Dateityp", listed = "Audio:Next,play 2,AudioPlaying",
                  unplayable = "48|Sarovin|Die Datei kann nicht abgespielt werden.";
    // A list's text, null for no file.
    const struct { QString path, list, message; QVector<int32_t> queue; QString calls; } rows[] = {
        {a2, {}, "", {0, 1, 2}, "play 2"},
        {a1, {}, "", {0, 1}, "play 1"},
        {a1.toUpper().replace(".MP3", ".mp3"), {}, unplayable, {0, 1}, ""},
        {n, {}, "", {0, 1, 3}, "play 3"},
        {dir.filePath("N.MP3"), {}, unknown, {0, 1}, ""},
        {dir.filePath("n.ogg"), {}, unknown, {0, 1}, ""},
        {dir.filePath("L.M3U"), {}, unknown, {0, 1}, ""},
        {bad, {}, unplayable, {0, 1}, ""},
        {list, "#EXTM3U\r\n#EXTINF:1,x\r\n" + a2 + "\r\n" + a0 + "\r\n", "", {2, 0}, listed},
        {list, "\n" + a2 + "\nrel/a0.mp3\n\n" + n + "\n" + bad + "\n" + n + "\n" + a2 + "\n", "", {2, 3}, listed},
        {list, "", unplayable, {0, 1}, ""},
        {list, QString(), unplayable, {0, 1}, ""},
    };
    const LibraryDatabase before = Library;
    for (const Switch repeatAll : {Switch(0), SwitchOn})
        for (const auto& r : rows) {
            SCOPED_TRACE((r.path + r.list).toStdString());
            Settings.RepeatAll = repeatAll;
            Library = before;
            Slot(ViewList) = {2, 0};
            Slot(SyncList) = {1};
            QFile::remove(list);
            if (!r.list.isNull()) File("list.m3u", r.list.toUtf8());
            host.calls.clear();
            shown.clear();
            mini->DropFile(r.path);
            EXPECT_EQ(shown.join(u',') + "/" + host.calls.join(u','), r.message + "/" + r.calls);
            EXPECT_EQ(Queue(), r.queue);
            EXPECT_EQ(Slot(ViewList) + Slot(SyncList), (QVector<int32_t>{2, 0, 1}));
            EXPECT_EQ(Library.Files.size(), 3 + r.queue.contains(3));
            const auto& artists = Library.ListSets[ArtistSet].Entries;
            const auto knows = [](const ListEntry& e) { return e.Items.contains(3); };
            if (r.path != list) {
                EXPECT_EQ(std::any_of(artists.begin(), artists.end(), knows), r.queue.contains(3));
            }
        }
}

} // namespace
