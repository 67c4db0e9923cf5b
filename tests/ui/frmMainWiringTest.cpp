// Every way a command reaches the main window, driven through the real
// widgets, and the effects the controls must have beyond their state.
#include "MainWindowTestSupport.h"

#include "controls/QV_HoverLabel.h"
#include "core/UiServices.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "tests/controls/ListControlTestSupport.h"
#include "ui/dialogs/OptionsFrames.h"
#include "ui/dialogs/frmAudioProperties.h"
#include "ui/main/OtherWindows.h"

#include <QComboBox>
#include <QMenu>

#include <cerrno>

namespace {

enum Via { Menu, Button, Node, ListKey, HotKey, Mini };
// The control (a menu entry's name with `index`, a button, a node's key, a
// key of the list, a hot-key setting with the key code held beside Ctrl, a
// mini-player button) and what it causes: the commands sent, or, when it sends
// none, its effects.
struct Row { Via via; const char* control; int index; std::string caused; };

using R = SettingsRecord;
const std::pair<const char*, Switch R::*> kToggles[] = {{"Shuffle", &R::Shuffle}, {"RepeatTitle", &R::RepeatTitle},
    {"RepeatAll", &R::RepeatAll}, {"IntroMode", &R::IntroMode}, {"CrossfaderEnabled", &R::CrossfaderEnabled}};

QStringList Windows()
{
    QStringList out;
    for (const QWidget* t : QApplication::topLevelWidgets())
        if (t->isVisible() && t->objectName().startsWith("frm") && t != MainWindow() && t != frmMiniPlayer::Loaded())
            out << t->objectName();
    return out;
}

void ClickCentre(QWidget* target) { Click(*target, QRectF(target->rect()).center()); }

class MainWindowWiring : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetTrayHostCheck([] { return true; });
        SetExitProgram([this] { effects << "exit"; });
        SetKeySource([this] { return held; });
        SetMiniPlayerInputSource([](const QWidget&) { return MiniPlayerInput{0, true, false}; });
        SetSaveFileDialogService([this](const QString&, const QStringList&, int) {
            effects << "save dialog";
            return SaveFileAnswer{};
        });
        MakeLibrary();
        Settings.ShowMiniPlayer = SwitchOn;
        Settings.DynPlaylists[4] = {"Kurz", "title=alpha"};
        for (int k = 0; k < HotKeyCount; ++k) Settings.*HotKeyFields[k] = QStringLiteral("17 + %1").arg(48 + k);
        w->Form_Load();
        w->tmrHotKeys->stop();
        w->show();
        w->Command("AudioLibrary");
        w->CommandSeen = [this](const QString& cmd) { sent << cmd; };
    }

    struct State {
        SettingsRecord settings;
        QStringList ratings, queue, windows;
        int32_t track;
        float volume;
        bool search;
    };
    State Now() const
    {
        State s{Settings, {}, {}, Windows(), w->CurrentTrack, w->CurrentVolume(),
                w->isVisible() && w->focusWidget() == w->txtSearch};
        for (int i = 0; i < Library.Files.size(); ++i)
            s.ratings << QStringLiteral("rate %1=%2").arg(i).arg(Library.Files[i].Rating);
        for (int32_t k : Queue()) s.queue << QString::number(k);
        return s;
    }
    // The commands the act sent; when none, what it changed.
    QString Caused(const std::function<void()>& act)
    {
        const State was = Now();
        sent.clear();
        effects.clear();
        shown.clear();
        act();
        if (!sent.isEmpty()) return sent.join(u',');
        const State is = Now();
        QStringList out = effects + shown;
        for (const auto& [name, toggle] : kToggles)
            if (was.settings.*toggle != is.settings.*toggle) out << name;
        for (int c = 0; c < 14; ++c)
            if (was.settings.ColumnVisible[c] != is.settings.ColumnVisible[c]) out << QStringLiteral("column %1").arg(c);
        if (was.settings.InTray != is.settings.InTray) out << "tray";
        for (const QString& r : is.ratings) if (!was.ratings.contains(r)) out << r;
        if (was.queue != is.queue) out << "queue " + is.queue.join(u' ');
        if (was.track != is.track) out << QStringLiteral("play %1").arg(is.track);
        if (was.volume != is.volume) out << QStringLiteral("vol %1").arg(is.volume);
        if (!was.search && is.search) out << "search";
        for (const QString& name : is.windows) if (!was.windows.contains(name)) out << "open " + name;
        return out.join(u',');
    }
    void Act(const Row& r)
    {
        switch (r.via) {
        case Menu: Trigger(r.control, r.index); break;
        case Button: ClickCentre(w->findChild<QV_HoverLabel*>(r.control)); break;
        case Node:
            for (QTreeWidgetItemIterator it(w->Functions); *it; ++it) {
                if ((*it)->data(0, Qt::UserRole).toString() != r.control) continue;
                w->Functions->scrollToItem(*it);
                Click(*w->Functions->viewport(), QRectF(w->Functions->visualItemRect(*it)).center());
            }
            break;
        case ListKey: SendKey(w->QV_ListControl1, r.index, r.index == Qt::Key_Space ? " " : ""); break;
        case HotKey:
            for (const auto& keys : {std::vector<int>{17, r.index}, {}}) {
                held = keys;
                w->tmrHotKeys_Timer();
            }
            break;
        case Mini: {
            frmMiniPlayer* mini = frmMiniPlayer::Loaded();
            mini->Timer1_Timer();
            ClickCentre(mini->findChild<QV_HoverLabel*>(r.control));
            break;
        }
        }
    }

    QStringList sent, effects;
    std::vector<int> held;
};

TEST_F(MainWindowWiring, EveryControlSendsItsCommandOrHasItsEffect)
{
    // Each rating entry rates the playing title (0) or the selected one (2), each column entry shows or hides
    // its column, each tree node sends its own key.
    std::vector<Row> rows;
    for (const auto& [menu, title] : {std::pair{"mAudioRate", 0}, {"mTrayRate", 0}, {"mCARate", 2}})
        for (int i = 0; i <= 5; ++i)
            rows.push_back({Menu, menu, i, "rate " + std::to_string(title) + '=' + std::to_string(i)});
    for (int c = 0; c < 14; ++c) rows.push_back({Menu, "mViewColumn", c, "column " + std::to_string(c)});
    for (const char* node : {"PL", "AudioLibrary", "AudioPlaying", "PLDynamic4", "Tools", "AudioProp",
                             "AudioDJStudio", "AudioRecode", "AudioOrganize", "Options"})
        rows.push_back({Node, node, 0, node});
    rows.insert(rows.end(), {
        {ListKey, "Space", Qt::Key_Space, "Audio:Pause"}, {ListKey, "Left", Qt::Key_Left, "Audio:Prev"},
        {ListKey, "Right", Qt::Key_Right, "Audio:Next"}, {ListKey, "Enter", Qt::Key_Return, "queue 2 0 1,play 2"},
        {Button, "Label16", 0, "Audio:Prev"}, {Button, "Label17", 0, "Audio:Pause"},
        {Button, "Label18", 0, "Audio:Stop"}, {Button, "Label19", 0, "Audio:Next"}, {Button, "Label15", 0, "Shuffle"},
        {Button, "Label20", 0, "CrossfaderEnabled"}, {HotKey, "Pause", 48, "Audio:Pause"},
        {HotKey, "Stop", 49, "Audio:Stop"}, {HotKey, "Next", 50, "Audio:Next"}, {HotKey, "Prev", 51, "Audio:Prev"},
        {HotKey, "ShowMe", 52, "tray"}, {HotKey, "ShowMe", 52, "tray"}, {HotKey, "VolPlus", 53, "vol 11000"},
        {HotKey, "VolMinus", 54, "vol 9000"}, {Mini, "hlbPause", 0, "Audio:Pause"},
        {Mini, "hlbNext", 0, "Audio:Next"}, {Mini, "hlbShow", 0, "tray"}, {Mini, "hlbShow", 0, "tray"},
        {Menu, "mFileOpenFile", -1, ""}, {Menu, "mFileToTray", -1, "tray"}, {Menu, "mTrayRestore", -1, "tray"},
        {Menu, "mAudioPlaying", -1, "Audio:Pause"}, {Menu, "mAudioNext", -1, "Audio:Next"},
        {Menu, "mAudioPrev", -1, "Audio:Prev"}, {Menu, "mAudioSearch", -1, "search"},
        {Menu, "mAudioLibrary", -1, "AudioLibrary"}, {Menu, "mAudioRandom", -1, "Shuffle"},
        {Menu, "mAudioRepTitle", -1, "RepeatTitle"}, {Menu, "mAudioRepAll", -1, "RepeatAll"},
        {Menu, "mAudioIntro", -1, "IntroMode"}, {Menu, "mAudioCrossfader", -1, "CrossfaderEnabled"},
        {Menu, "mAudioEnableEQU", -1, "open frmEqualizer"}, {Menu, "mAudioProp", -1, "AudioProp"},
        {Menu, "mDeviceSyncWiz", -1, "open frmDeviceWizard"}, {Menu, "mPLPlaying", -1, "AudioPlaying"},
        {Menu, "mPLDynamic", 0, "PLDynamic4"}, {Menu, "mPLExport", -1, "save dialog"}, {Menu, "mPLManager", -1, "PL"},
        {Menu, "mAudioOptions", -1, "Options"}, {Menu, "mHelpAbout", -1, "open frmInfo"},
        {Menu, "mHelpUpdate", -1, ""}, {Menu, "mTrayPlaying", -1, "Audio:Pause"},
        {Menu, "mTrayNext", -1, "Audio:Next"}, {Menu, "mTrayPrev", -1, "Audio:Prev"},
        {Menu, "mCAPlay", -1, "queue 1 2,play 2"}, {Menu, "mCAPlayNext", -1, "queue 1 2"},
        {Menu, "mCAAddToPlaying", -1, ""}, {Menu, "mCAReplacePlaying", -1, "queue 0 1 2"},
        {Menu, "mCAProp", -1, "AudioProp"}, {Menu, "mFileClose", -1, "exit"}, {Menu, "mTrayExit", -1, "exit"},
    });
    for (const Row& r : rows) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(r.control).arg(r.index).toStdString());
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->objectName() == "frmDeviceWizard") t->close();  // it keeps the program busy
        w->show();
        w->Command("AudioLibrary");
        Queue() = {1};
        w->CurrentTrack = 0;
        for (LibraryEntry& e : Library.Files) e.Rating = 7;
        w->SetVol(10000);
        w->QV_ListControl1->setFocus();
        w->QV_ListControl1->SetSelectedIndex(2);
        EXPECT_EQ(Caused([&] { Act(r); }).toStdString(), r.caused);
    }
}

TEST_F(MainWindowTest, ShuffleSwitchedOnReordersTheQueueAndOffKeepsIt)
{
    Queue().clear();
    for (int32_t k = 0; k < 40; ++k) Queue() << k;
    const QVector<int32_t> before = Queue();
    Trigger("mAudioRandom");
    ASSERT_TRUE(IsOn(Settings.Shuffle));
    EXPECT_NE(Queue(), before);
    EXPECT_TRUE(std::is_permutation(before.begin(), before.end(), Queue().begin(), Queue().end()));
    const QVector<int32_t> shuffled = Queue();
    Trigger("mAudioRandom");
    EXPECT_EQ(Queue(), shuffled);
}

TEST_F(MainWindowTest, ExportWritesTheChosenFormatOrSaysWhy)
{
    MakeLibrary();
    w->Command("AudioLibrary");
    QTemporaryDir dir;
    const QString failed = "16|Fehler beim Speichern|";
    const QString unavailable = failed + "Dieses Playlistformat ist nicht verfügbar.";
    // The file's start tells the format apart; the title names the view's first title.
    const struct { const char* file; int filter; const char* starts; QString message; } rows[] = {
        {"list.xml", 1, "<?xml", {}}, {"list.m3u", 2, "#EXTM3U", {}}, {"list.asx", 3, "", unavailable},
        {"list.pls", 4, "", unavailable}, {"", 0, "", {}},  // cancelled
        {"missing/list.m3u", 2, "", failed + SaveFailedText(dir.filePath("missing/list.m3u"), SystemErrorText(ENOENT))},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        shown.clear();
        const QString path = *r.file ? dir.filePath(r.file) : QString();
        SetSaveFileDialogService([&](const QString& title, const QStringList& filters, int initial) {
            EXPECT_EQ(title + QString::number(filters.size()) + QString::number(initial), "Speichern unter ...42");
            return SaveFileAnswer{path, r.filter};
        });
        Trigger("mPLExport");
        const QByteArray written = path.isEmpty() ? QByteArray() : ReadRawFile(path);
        EXPECT_TRUE(written.startsWith(r.starts) && (!*r.starts || written.contains("a.wav")));
        EXPECT_EQ(written.isEmpty(), !*r.starts);
        EXPECT_EQ(shown.join(u'\n'), r.message);
    }
}

TEST_F(MainWindowTest, HeaderClickSortsAndBitratesSortAsNumbers)
{
    MakeLibrary();
    for (const auto& [k, rate] : {std::pair{0, 96}, {1, 1411}, {2, 128}}) Library.Files[k].Tags.Bitrate = int16_t(rate);
    w->Command("AudioLibrary");
    const auto keys = [&] {
        QList<qint64> out;
        for (qint32 row = 0; row < 3; ++row) out << ListControlProbe::Key(*w->QV_ListControl1, row).Number();
        return out;
    };
    for (const auto& [column, order] : {std::pair{7, QList<qint64>{0, 2, 1}}, {1, QList<qint64>{0, 1, 2}}}) {
        emit w->QV_ListControl1->HeaderMouseUp(column, QString(), 2, 0);  // the right button only opens a menu
        w->PopupMenu("mViewColumns")->close();
        EXPECT_EQ(keys(), (QList<qint64>{0, 1, 2}));
        emit w->QV_ListControl1->HeaderMouseUp(column, QString(), 1, 0);
        EXPECT_EQ(keys(), order) << column;
        w->Command("AudioLibrary");
    }
}

TEST_F(MainWindowTest, VolumeCommandsStepBy2048WithinTheRange)
{
    const struct { const char* cmd; int32_t from; float to; } rows[] = {
        {"Audio:VolPlus", 10000, 12048}, {"Audio:VolMunis", 10000, 7952},
        {"Audio:VolPlus", 32000, 32768}, {"Audio:VolMunis", 1000, 0}};
    for (const auto& r : rows) {
        w->SetVol(r.from);
        w->Command(r.cmd);
        EXPECT_EQ(w->CurrentVolume(), r.to) << r.cmd << r.from;
    }
}

TEST_F(MainWindowTest, TagEditorStoresEachFieldInItsOwnPlaceAndFollowsTheList)
{
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("t.mp3");
    ASSERT_TRUE(MakeToneFile(mp3, FixtureFormat::Mp3, 0.3));
    LibraryEntry e;
    e.FileName = mp3;
    e.Tags.Format = "MPEG";
    MakeLibrary({e});
    w->Command("AudioLibrary");
    w->QV_ListControl1->SetSelectedIndex(3);
    w->Command("AudioProp");
    frmAudioProperties* editor = TagEditor();
    ASSERT_TRUE(editor && w->TagEditorOpen);
    const struct { QLineEdit* box; QString TagInfo::*field; QString TagReading::*read; const char* text; } rows[] = {
        {editor->tagTitel, &TagInfo::Title, &TagReading::Title, "Titel"},
        {editor->tagArtist, &TagInfo::Artist, &TagReading::Artist, "Wer"},
        {editor->tagAlbum, &TagInfo::Album, &TagReading::Album, "Platte"},
        {editor->tagComment, &TagInfo::Comment, &TagReading::Comment, "Notiz"},
        {editor->tagGenre->lineEdit(), &TagInfo::Genre, &TagReading::Genre, "Jazz"},
        {editor->tagYear, &TagInfo::Year, &TagReading::Year, "1999"},
        {editor->tagTrack, &TagInfo::Track, &TagReading::Track, "7"},
    };
    for (const auto& r : rows) {
        r.box->selectAll();
        r.box->insert(r.text);
    }
    TagLibReader reader;  // the save reads its copy back
    TagLibWriter writer;
    SetTagReader(&reader);
    SetTagWriter(&writer);
    editor->cmdSave->click();
    SetTagWriter(nullptr);
    SetTagReader(nullptr);
    EXPECT_EQ(shown.join(u'\n').toStdString(), "");
    const TagReading file = reader.Open(mp3);
    for (const auto& r : rows) {
        EXPECT_EQ((Library.Files[3].Tags.*r.field).toStdString(), r.text);
        EXPECT_EQ((file.*r.read).toStdString(), r.text);
    }
    // The main list's selection moves the open editor.
    SendKey(w->QV_ListControl1, Qt::Key_Up);
    EXPECT_EQ(editor->ShownIndex, 2);
    EXPECT_EQ(editor->tagTitel->text(), "Long");
}

} // namespace
