// The options page and window over temporary data and autostart folders, a
// fake main window, and answered boxes and dialogs.
#include "core/Busy.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Runtime.h"
#include "core/TagReader.h"
#include "core/UiServices.h"
#include "core/WholeFile.h"
#include "platform/AutoRun.h"
#include "platform/ScreenDefaults.h"
#include "platform/TagLibReader.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/WindowTest.h"
#include "ui/dialogs/OptionsController.h"
#include "ui/dialogs/OptionsHost.h"
#include "ui/dialogs/OptionsPage.h"
#include "ui/dialogs/frmHotKEnable.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/dialogs/frmSelectLibraryAction.h"
#include "ui/main/OtherWindows.h"

#include <QDir>
#include <QRadioButton>
#include <cerrno>
#include <deque>

namespace {

using Answer = std::function<void(QDialog&)>;

TEST(OptionsConversions, NumbersHotKeysAndFolders)
{
    using Days = std::pair<const char*, std::optional<int16_t>>;
    for (const auto& [text, want] : {Days{"2.9", 2}, {"-0.5", -1}, {"Tage", 0}, {"32767", 32767}, {"32768", {}},
                                     {"-32768", -32768}, {"-32769", {}}})
        EXPECT_EQ(DaysFromText(text), want) << text;
    using Fade = std::pair<const char*, std::optional<int32_t>>;
    for (const auto& [text, want] :
         {Fade{"2.5", 2}, {"3.5", 4}, {"x", 0}, {"2147483647", 2147483647}, {"3000000000", {}}})
        EXPECT_EQ(CrossfadeFromText(text), want) << text;
    EXPECT_FALSE(CheckedForSwitch(1));  // a stray stored 1 is off
    EXPECT_EQ(HotKeyLabelText("") + '|' + HotKeyFromLabel(HotKeyLabelText("")), "(kein HotKey festgelegt)|");
    using Folders = std::tuple<const char*, const char*, bool>;
    for (const auto& [joined, stored, changed] : {Folders{"/a\r/b", "/a\r\r/b", false}, {"/a\r/b", "/a\r/b\r", false},
                                                  {"/a\r/b", "/b\r/a", true}, {"/A", "/a", true}})
        EXPECT_EQ(FoldersChanged(joined, stored), changed) << stored;
}

class FakeHost : public OptionsHost {
public:
    bool SetHotKeyTimer(bool on) override
    {
        timerCalls << on;
        return std::exchange(polling, on);
    }
    void ReapplySettings() override { reapplied << Settings; }
    void RefreshToggleStates() override {}
    QWidget* DialogOwner() override { return nullptr; }
    QWidget* OptionsPageFrame() override { return &frOptions; }

    QWidget frOptions;
    QList<bool> timerCalls;
    bool polling = true;
    QList<SettingsRecord> reapplied;
};

class OptionsPageTest : public WindowTest {
protected:
    ~OptionsPageTest() override
    {
        SetOptionsHost(nullptr);
        qunsetenv("XDG_CONFIG_HOME");
    }
    void SetUp() override
    {
        WindowTest::SetUp();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
        SetOptionsHost(&host_);
        SetFolderDialogService([this](const QString& prompt) { return prompts_ << prompt, folder_; });
        SetModalAnswerer([this](QDialog& d) {
            dialogs_ << d.objectName();
            if (dialogAnswers_.empty()) return;
            Answer a = std::move(dialogAnswers_.front());
            dialogAnswers_.pop_front();
            a(d);
        });
        LoadOptionsTree();
        LoadOptions();
        ShowOptions("Main");
        page_ = CurrentOptionsPage();
        ASSERT_TRUE(page_);
    }
    template <typename T>
    T* Find(const char* name) { return page_->findChild<T*>(QLatin1String(name)); }
    QListWidget* Folders() { return Find<QListWidget>("AudioDBDirectorys"); }
    void Apply() { page_->Command1->click(); }
    void AddFolder(const QString& folder) { folder_ = folder, Find<QPushButton>("Command4")->click(); }
    static SettingsRecord OnDisk()
    {
        SettingsRecord r = Settings;
        const QByteArray ini = ReadRawFile(DataFile("Settings.ini"));
        if (!ini.isEmpty()) SettingsFromBytes(ini, r);
        return r;
    }

    QTemporaryDir config_;
    FakeHost host_;
    OptionsPage* page_ = nullptr;
    QStringList prompts_, dialogs_;
    QString folder_;
    std::deque<Answer> dialogAnswers_;
};

// Every check box against its field, both ways, and the other controls; the
// folder list's buttons.
TEST_F(OptionsPageTest, ControlsShowAndStoreTheirFields)
{
    using R = SettingsRecord;
    const struct { const char* name; Switch R::*field; } checks[] = {
        {"AudioDBenableAutoSync", &R::AutoSyncEnabled}, {"AudioDBsyncwhenStart", &R::SyncOnStart},
        {"AudioDBsyncwhenWinStart", &R::SyncOnWindowsStart}, {"AudioDBsyncAutoCHK", &R::SyncPeriodic},
        {"AudioDBsyncOnlyNew", &R::SyncOnlyNewTags}, {"IntMisc_Minimize_to_Tray", &R::MinimizeToTray},
        {"IntMisc_Close_to_Tray", &R::CloseToTray}, {"Audio_ShowMiniPlayer", &R::ShowMiniPlayer},
        {"Audio_ShowTrayBaloon", &R::ShowTrayBalloon}, {"IntMisc_SpectrumInMini", &R::SpectrumInMini},
        {"IntMisc_SpectrumInMain", &R::SpectrumInMain}, {"IntHotKEnable", &R::HotKeysEnabled},
        {"Crossfader_Enable", &R::CrossfaderEnabled},
    };
    int i = 0;
    for (const auto& c : checks) Settings.*c.field = (i++ % 2) ? SwitchOn : SwitchOff;
    Settings.LibraryFolders = "/m/a\r\r/m/b";
    Settings.SyncIntervalDays = 7;
    Settings.CrossfadeTime = 12;
    for (int k = 0; k < HotKeyCount; ++k) Settings.*HotKeyFields[k] = k == 3 ? QString() : QString::number(k + 10);
    page_->Command2->click();  // revert: the record again

    QLineEdit *days = Find<QLineEdit>("AudioDBsyncAutoTXT"), *fade = Find<QLineEdit>("CrossfaderTime");
    EXPECT_EQ(QString::number(Folders()->count()) + '|' + days->text() + '|' + fade->text(), "2|7|12");
    for (const auto& c : checks) EXPECT_EQ(Find<QCheckBox>(c.name)->isChecked(), IsOn(Settings.*c.field)) << c.name;
    EXPECT_EQ(Find<QLabel>("IntHotK_Prev")->text(), "(kein HotKey festgelegt)");

    for (const auto& c : checks) Find<QCheckBox>(c.name)->toggle();
    days->setText("32768");  // beyond the field: kept
    fade->setText("3.5");
    Find<QLabel>("IntHotK_Pause")->setText("(kein HotKey festgelegt)");
    AddFolder("/m/c");
    Folders()->setCurrentRow(2);
    Find<QPushButton>("Command5")->click();
    Folders()->clearSelection();
    Find<QPushButton>("Command5")->click();  // nothing selected: nothing removed
    AddFolder("");                            // cancelled: nothing added
    const SettingsRecord before = Settings;
    Apply();

    for (const auto& c : checks) EXPECT_EQ(Settings.*c.field, IsOn(before.*c.field) ? SwitchOff : SwitchOn) << c.name;
    EXPECT_EQ(Settings.LibraryFolders, "/m/a\r/m/b");  // joined text, and no question
    EXPECT_TRUE(dialogs_.isEmpty());
    EXPECT_EQ(prompts_, QStringList(2, "Bitte geben Sie das gewünschte Verzeichnis an."));
    EXPECT_EQ(std::tuple(Settings.SyncIntervalDays, days->text(), Settings.CrossfadeTime), std::tuple(7, "7", 4));
    EXPECT_EQ(Settings.HotKeyPause + '|' + Settings.HotKeyStop, "|11");
    EXPECT_EQ(OnDisk(), Settings);
}

Answer Pick(QRadioButton* frmSelectLibraryAction::*option)
{
    return [option](QDialog& d) {
        auto& choice = dynamic_cast<frmSelectLibraryAction&>(d);
        (choice.*option)->setChecked(true);
        choice.Command1->click();
    };
}

// A real library over two generated titles, one folder each; the page adds the
// second. Busy, nothing is asked; else only the rebuild changes the library.
TEST_F(OptionsPageTest, TheChoiceDecidesOverTheLibrary)
{
    QTemporaryDir music;
    const auto folder = [&](const char* name) { return music.filePath(name); };
    for (const char* name : {"a", "b"}) {
        QDir().mkpath(folder(name));
        ASSERT_TRUE(MakeToneFile(folder(name) + "/Ton.ogg", FixtureFormat::Ogg, 0.2));
    }
    SetTagReader(&ProgramTagReader());
    Settings.LibraryFolders = folder("a");
    ASSERT_EQ(SyncLibrary(1).status, SyncResult::Done);
    Library.Files[0].PlayCNT = 7;
    LoadOptions();
    AddFolder(folder("b"));
    const struct { const char* what; Answer answer; int titles; } rows[] = {
        {"busy", nullptr, 1},
        {"Nichts verändern", Pick(&frmSelectLibraryAction::Option3), 1},  // as frame and Esc answer
        {"rebuild", Pick(&frmSelectLibraryAction::Option1), 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Settings.LibraryFolders = folder("a");
        dialogs_.clear();
        shown.clear();
        std::optional<BusyGuard> busy;
        if (r.answer) dialogAnswers_.push_back(r.answer);
        else busy.emplace();
        Apply();
        EXPECT_EQ(dialogs_, r.answer ? QStringList{"frmSelectLibraryAction"} : QStringList{});
        EXPECT_EQ(shown.size() == 1 && shown[0].startsWith("48|Synchronisieren|"), !r.answer);
        EXPECT_EQ(Library.Files.size(), r.titles);
        EXPECT_EQ(OnDisk().LibraryFolders, folder("a") + '\r' + folder("b"));
    }
    EXPECT_EQ(Library.Files[0].PlayCNT, 7);  // the rebuild keeps what the user made
}

TEST_F(OptionsPageTest, AutostartEntryFollowsTheSwitchAndFailuresAreReported)
{
    auto* run = Find<QCheckBox>("IntMisc_Run_at_Startup");
    const QString entry = AutoRunEntryPath("Sarovin");
    for (bool on : {true, false, false}) {  // the last: already missing, no error
        run->setChecked(on);
        Apply();
        EXPECT_EQ(QFile::exists(entry), on);
    }
    EXPECT_TRUE(shown.isEmpty());

    // Occupied paths: the settings file and the entry (not removable, and
    // not replaceable by a file); each box says why.
    const QString ini = DataFile("Settings.ini");
    QFile::remove(ini);
    ASSERT_TRUE(QDir().mkpath(ini + "/x") && QDir().mkpath(entry + "/x"));
    Find<QCheckBox>("Crossfader_Enable")->setChecked(true);
    const QString why = SystemErrorText(EISDIR);
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        shown.clear();
        run->setChecked(on);
        Apply();
        EXPECT_EQ(Settings.CrossfaderEnabled, SwitchOn);
        const QStringList boxes = {"16|Sarovin|" + SaveFailedText(ini, why), "16|Sarovin|" + SaveFailedText(entry, why)};
        EXPECT_EQ(shown.join(u'\n').toStdString(), boxes.join(u'\n').toStdString());
    }
}

TEST_F(OptionsPageTest, FactorySettings)
{
    Settings.LibraryFolders = "/m/a";
    Settings.HotKeyPause = "17 + 80";
    LoadOptions();
    const SettingsRecord untouched = Settings;
    messageAnswer = MsgNo;
    page_->comDefault->click();
    EXPECT_EQ(Settings, untouched);
    EXPECT_TRUE(host_.reapplied.isEmpty());
    EXPECT_EQ(shown, QStringList{"52|Werkseinstellungen laden|Sind sie sicher, dass Sie alle ihre Einstellungen "
                                  "zurücksetzen wollen?\r\nDiese Aktion kann nicht rückgängig gemacht werden."});

    AddFolder("/m/b");
    Find<QLineEdit>("CrossfaderTime")->setText("11");
    QString asked;
    dialogAnswers_.push_back([&](QDialog& d) {
        asked = Find<QLineEdit>("CrossfaderTime")->text();  // before the defaults are shown
        Pick(&frmSelectLibraryAction::Option3)(d);
    });
    // The sound follows the sliders back to flat.
    ASSERT_TRUE(InitAudio());
    InitEqualizer();
    RestoreEqGains(std::vector<float>(EqGainCount, 3.0f));
    messageAnswer = MsgYes;
    page_->comDefault->click();
    EXPECT_EQ(asked, "11");
    for (int band = 0; band < kEqBands; ++band) {
        float inForce = 0;  // 0 only asks
        SetBandGain(band, inForce);
        EXPECT_EQ(inForce, 1.0f) << band;
    }

    const SettingsRecord onDisk = OnDisk();  // saved before the reset, not after
    EXPECT_EQ(onDisk.CrossfadeTime, 11);
    EXPECT_EQ(onDisk.LibraryFolders, "/m/a\r/m/b");
    const SettingsRecord now = std::exchange(Settings, onDisk);
    ResetSettingsForScreen();
    const SettingsRecord expected = std::exchange(Settings, now);
    EXPECT_EQ(Settings, expected);  // nothing wrote back after the reset
    EXPECT_EQ(host_.reapplied, QList<SettingsRecord>{expected});
    EXPECT_EQ(Find<QLineEdit>("CrossfaderTime")->text(), QString::number(expected.CrossfadeTime));
    EXPECT_EQ(Find<QLabel>("IntHotK_Pause")->text(), expected.HotKeyPause);
}

TEST_F(OptionsPageTest, HotKeyChangeCancelAndRevert)
{
    Settings.HotKeyNext = "17 + 35";
    LoadOptions();
    auto* label = Find<QLabel>("IntHotK_Next");
    QStringList opened;
    const auto answer = [&opened](bool ok, const QString& text) {
        return [&opened, ok, text](QDialog& d) {
            auto& capture = dynamic_cast<frmHotKEnable&>(d);
            opened << capture.Text1->text();
            capture.Text1->setText(text);
            (ok ? capture.Command1 : capture.Command2)->click();
        };
    };
    dialogAnswers_ = {answer(true, "18 + 36"), answer(true, ""), answer(false, "99")};
    for (const char* text : {"18 + 36", "(kein HotKey festgelegt)", "(kein HotKey festgelegt)"}) {
        Find<QPushButton>("cmdChangeHotK_2")->click();
        EXPECT_EQ(label->text(), text);
    }
    EXPECT_EQ(opened, QStringList(3, "17 + 35"));  // the stored field, not the label
    EXPECT_EQ(host_.timerCalls, (QList<bool>{false, true, false, true, false, true}));
    EXPECT_EQ(Settings.HotKeyNext, "17 + 35");
    SendKey(page_->trvOptionsTree, Qt::Key_Escape);  // Esc on the page reverts
    EXPECT_EQ(label->text(), "17 + 35");
}

TEST_F(OptionsPageTest, WindowButtons)
{
    for (const auto& [button, saved, result] :
         {std::tuple{"Command1", true, -1}, {"Command3", true, 1}, {"Command2", false, 0}}) {  // apply, OK, cancel
        Settings.CrossfadeTime = 3;
        frmOptions window(nullptr);
        window.setResult(-1);
        window.findChild<QLineEdit*>("CrossfaderTime")->setText("8");
        window.findChild<QPushButton*>(button)->click();
        EXPECT_EQ(Settings.CrossfadeTime, saved ? 8 : 3) << button;
        EXPECT_EQ(window.result(), result) << button;
    }
    QPointer<frmOptions> open = new frmOptions(nullptr);
    UnloadOptionsWindow();
    EXPECT_TRUE(open.isNull());
    UnloadOptionsWindow();
}

} // namespace
