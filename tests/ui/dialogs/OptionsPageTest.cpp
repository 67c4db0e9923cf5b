// The options page and window over temporary data and autostart folders, a
// fake main window, and answered boxes and dialogs.
#include "core/Busy.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Runtime.h"
#include "core/TagReader.h"
#include "core/UiServices.h"
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

#include <QRadioButton>
#include <deque>

namespace {

using Answer = std::function<void(QDialog&)>;

TEST(OptionsConversions, NumbersHotKeysAndFolders)
{
    for (const auto& [text, want] : {std::pair<const char*, std::optional<int16_t>>{"2.9", 2}, {"-0.5", -1}, {"Tage", 0},
                                     {"32767", 32767}, {"32768", {}}, {"-32768", -32768}, {"-32769", {}}})
        EXPECT_EQ(DaysFromText(text), want) << text;
    for (const auto& [text, want] : {std::pair<const char*, std::optional<int32_t>>{"2.5", 2}, {"3.5", 4}, {"x", 0},
                                     {"2147483647", 2147483647}, {"3000000000", {}}})
        EXPECT_EQ(CrossfadeFromText(text), want) << text;
    EXPECT_FALSE(CheckedForSwitch(1));  // a stray stored 1 is off
    EXPECT_EQ(HotKeyLabelText("") + '|' + HotKeyFromLabel(HotKeyLabelText("")), "(kein HotKey festgelegt)|");
    for (const auto& [joined, stored, changed] : {std::tuple{"/a\r/b", "/a\r\r/b", false}, {"/a\r/b", "/a\r/b\r", false},
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
        ASSERT_TRUE(config_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
        SetOptionsHost(&host_);
        SetFolderDialogService([this](const QString& prompt) {
            prompts_ << prompt;
            return folder_;
        });
        SetModalAnswerer([this](QDialog& d) {
            dialogs_ << d.objectName();
            if (dialogAnswers_.empty()) return;
            Answer a = std::move(dialogAnswers_.front());
            dialogAnswers_.pop_front();
            a(d);
        });
        LoadOptionsTree();
        LoadOptions();
        ShowOptions(QStringLiteral("Main"));
        page_ = CurrentOptionsPage();
        ASSERT_TRUE(page_);
    }
    template <typename T>
    T* Find(const char* name) { return page_->findChild<T*>(QLatin1String(name)); }
    QListWidget* Folders() { return Find<QListWidget>("AudioDBDirectorys"); }
    void Apply() { page_->Command1->click(); }
    static QStringList VisibleFrames(QWidget* root, const QString& prefix)
    {
        QStringList out;
        for (QFrame* f : root->findChildren<QFrame*>())
            if (f->objectName().startsWith(prefix) && f->isVisibleTo(root)) out << f->objectName();
        return out;
    }
    static SettingsRecord OnDisk()
    {
        SettingsRecord r = Settings;
        QFile ini(DataFile(QStringLiteral("Settings.ini")));
        if (ini.open(QIODevice::ReadOnly)) SettingsFromBytes(ini.readAll(), r);
        return r;
    }

    QTemporaryDir config_;
    FakeHost host_;
    OptionsPage* page_ = nullptr;
    QStringList prompts_, dialogs_;
    QString folder_;
    std::deque<Answer> dialogAnswers_;
};

// Every check box against its field, both ways, and the other controls.
TEST_F(OptionsPageTest, ControlsShowAndStoreTheirFields)
{
    const struct { const char* name; Switch SettingsRecord::*field; } checks[] = {
        {"AudioDBenableAutoSync", &SettingsRecord::AutoSyncEnabled},
        {"AudioDBsyncwhenStart", &SettingsRecord::SyncOnStart},
        {"AudioDBsyncwhenWinStart", &SettingsRecord::SyncOnWindowsStart},
        {"AudioDBsyncAutoCHK", &SettingsRecord::SyncPeriodic},
        {"AudioDBsyncOnlyNew", &SettingsRecord::SyncOnlyNewTags},
        {"IntMisc_Minimize_to_Tray", &SettingsRecord::MinimizeToTray},
        {"IntMisc_Close_to_Tray", &SettingsRecord::CloseToTray},
        {"Audio_ShowMiniPlayer", &SettingsRecord::ShowMiniPlayer},
        {"Audio_ShowTrayBaloon", &SettingsRecord::ShowTrayBalloon},
        {"IntMisc_SpectrumInMini", &SettingsRecord::SpectrumInMini},
        {"IntMisc_SpectrumInMain", &SettingsRecord::SpectrumInMain},
        {"IntHotKEnable", &SettingsRecord::HotKeysEnabled},
        {"Crossfader_Enable", &SettingsRecord::CrossfaderEnabled},
    };
    const char* labels[] = {"IntHotK_Pause",  "IntHotK_Stop",    "IntHotK_Next",    "IntHotK_Prev",
                            "IntHotK_ShowMe", "IntHotK_VolPlus", "IntHotK_VolMinus"};
    int i = 0;
    for (const auto& c : checks) Settings.*c.field = (i++ % 2) ? SwitchOn : SwitchOff;
    Settings.LibraryFolders = QStringLiteral("/m/a\r\r/m/b");
    Settings.SyncIntervalDays = 7;
    Settings.CrossfadeTime = 12;
    for (int k = 0; k < HotKeyCount; ++k) Settings.*HotKeyFields[k] = k == 3 ? QString() : QString::number(k + 10);
    page_->Command2->click();  // revert: the record again

    EXPECT_EQ(Folders()->count(), 2);
    EXPECT_EQ(Find<QLineEdit>("AudioDBsyncAutoTXT")->text(), QStringLiteral("7"));
    EXPECT_EQ(Find<QLineEdit>("CrossfaderTime")->text(), QStringLiteral("12"));
    for (const auto& c : checks) EXPECT_EQ(Find<QCheckBox>(c.name)->isChecked(), IsOn(Settings.*c.field)) << c.name;
    for (int k = 0; k < HotKeyCount; ++k)
        EXPECT_EQ(Find<QLabel>(labels[k])->text(), HotKeyLabelText(Settings.*HotKeyFields[k])) << labels[k];

    for (const auto& c : checks) Find<QCheckBox>(c.name)->toggle();
    Find<QLineEdit>("AudioDBsyncAutoTXT")->setText(QStringLiteral("32768"));  // beyond the field: kept
    Find<QLineEdit>("CrossfaderTime")->setText(QStringLiteral("3.5"));
    Find<QLabel>(labels[0])->setText(QStringLiteral("(kein HotKey festgelegt)"));
    const SettingsRecord before = Settings;
    Apply();

    for (const auto& c : checks) EXPECT_EQ(Settings.*c.field, IsOn(before.*c.field) ? SwitchOff : SwitchOn) << c.name;
    EXPECT_EQ(Settings.LibraryFolders, QStringLiteral("/m/a\r/m/b"));  // joined text, and no question
    EXPECT_TRUE(dialogs_.isEmpty());
    EXPECT_EQ(Settings.SyncIntervalDays, 7);
    EXPECT_EQ(Find<QLineEdit>("AudioDBsyncAutoTXT")->text(), QStringLiteral("7"));
    EXPECT_EQ(Settings.CrossfadeTime, 4);
    EXPECT_EQ(Settings.HotKeyPause, QString());
    EXPECT_EQ(Settings.HotKeyStop, QStringLiteral("11"));
    EXPECT_EQ(OnDisk(), Settings);
}

TEST_F(OptionsPageTest, CategoriesShowOneFrameAndTheirTitle)
{
    frmOptions window(nullptr);
    EXPECT_EQ(window.lblTitle->text(), QStringLiteral("Sarovin Optionen"));
    LoadOptionsTree();  // a second opening
    QTreeWidget* tree = page_->trvOptionsTree;
    EXPECT_EQ(page_->lblOptTitle->text(), QStringLiteral("Einstellungen - Sarovin Optionen"));
    int nodes = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) ++nodes;
    EXPECT_EQ(nodes, 14);

    const struct { const char *key, *title; } rows[] = {
        {"Main", "Sarovin Optionen"},
        {"IntMisc", "Bedienung - Allgemein"},
        {"IntHot", "Bedienung - Hot-Keys (Tastenkombinationen)"},
        {"AudioDB", "Audio - Bibliothek"},
        {"AudioCrossfader", "Audio - Crossfader"},
        {"IntDragDrop", nullptr},
    };
    for (const auto& r : rows) {
        const QString key = QString::fromLatin1(r.key);
        const QString title = r.title ? QString::fromUtf8(r.title) : key + QStringLiteral(" (nicht Verfügbar)");
        // The page through a click on the node where there is one.
        const auto found = tree->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
        auto node = std::find_if(found.begin(), found.end(),
                                 [&](QTreeWidgetItem* n) { return n->data(0, Qt::UserRole).toString() == key; });
        if (node != found.end()) emit tree->itemClicked(*node, 0);
        else ShowOptions(key);
        window.ShowOption(key);
        EXPECT_EQ(page_->lblOptTitle->text(), QStringLiteral("Einstellungen - ") + title) << r.key;
        EXPECT_EQ(window.lblTitle->text(), title) << r.key;
        EXPECT_EQ(VisibleFrames(page_, QStringLiteral("frOpt")),
                  r.title ? QStringList{QStringLiteral("frOpt") + key} : QStringList{}) << r.key;
        EXPECT_EQ(VisibleFrames(&window, QStringLiteral("fr")),
                  r.title ? QStringList{QStringLiteral("fr") + key} : QStringList{}) << r.key;
        EXPECT_EQ(window.Label4->isVisibleTo(&window), !r.title) << r.key;
    }
}

TEST_F(OptionsPageTest, FoldersAddAndRemove)
{
    Settings.LibraryFolders = QStringLiteral("/m/a\r/m/b");
    LoadOptions();
    folder_ = QStringLiteral("/m/c");
    Find<QPushButton>("Command4")->click();
    Folders()->setCurrentRow(2);
    Find<QPushButton>("Command5")->click();
    Folders()->clearSelection();
    Find<QPushButton>("Command5")->click();  // nothing selected: nothing removed
    folder_.clear();                          // cancelled: nothing added
    Find<QPushButton>("Command4")->click();
    Apply();
    EXPECT_EQ(prompts_, QStringList(2, QStringLiteral("Bitte geben Sie das gewünschte Verzeichnis an.")));
    EXPECT_EQ(Settings.LibraryFolders, QStringLiteral("/m/a\r/m/b"));
    EXPECT_TRUE(dialogs_.isEmpty());
}

// A real library over two generated titles, one folder each; the page adds the second.
class OptionsLibraryTest : public OptionsPageTest {
protected:
    void SetUp() override
    {
        OptionsPageTest::SetUp();
        ASSERT_TRUE(music_.isValid());
        for (const char* name : {"a", "b"}) {
            QDir().mkpath(Folder(name));
            ASSERT_TRUE(MakeToneFile(Folder(name) + QStringLiteral("/Ton.ogg"), FixtureFormat::Ogg, 0.2));
        }
        SetTagReader(&ProgramTagReader());
        Settings.LibraryFolders = Folder("a");
        ASSERT_EQ(SyncLibrary(1).status, SyncResult::Done);
        ASSERT_EQ(Titles(), 1);
        Library.Files[0].PlayCNT = 7;
        LoadOptions();
        folder_ = Folder("b");
        Find<QPushButton>("Command4")->click();
    }
    QString Folder(const char* name) const { return music_.path() + u'/' + QLatin1String(name); }
    int Titles() const { return Library.Files.size(); }
    QTemporaryDir music_;
};

Answer Pick(QRadioButton* frmSelectLibraryAction::*option)
{
    return [option](QDialog& d) {
        auto& choice = dynamic_cast<frmSelectLibraryAction&>(d);
        (choice.*option)->setChecked(true);
        choice.Command1->click();
    };
}

TEST_F(OptionsLibraryTest, TheChoiceDecidesOverTheLibrary)
{
    const struct { const char* what; Answer answer; int titles; } rows[] = {
        {"Nichts verändern", Pick(&frmSelectLibraryAction::Option3), 1},
        {"frame", [](QDialog& d) { d.close(); }, 1},
        {"Esc", [](QDialog& d) { d.reject(); }, 1},
        {"rebuild", Pick(&frmSelectLibraryAction::Option1), 2},
    };
    for (const auto& r : rows) {
        Settings.LibraryFolders = Folder("a");
        dialogs_.clear();
        dialogAnswers_.push_back(r.answer);
        Apply();
        EXPECT_EQ(dialogs_, QStringList{"frmSelectLibraryAction"}) << r.what;
        EXPECT_EQ(Titles(), r.titles) << r.what;
        EXPECT_EQ(OnDisk().LibraryFolders, Folder("a") + u'\r' + Folder("b")) << r.what;
    }
    EXPECT_EQ(Library.Files[0].PlayCNT, 0);
}

TEST_F(OptionsLibraryTest, BusyRefusesWithTheBusyMessage)
{
    BusyGuard busy;
    Apply();
    EXPECT_TRUE(dialogs_.isEmpty());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("48|Synchronisieren|")));
    EXPECT_EQ(Titles(), 1);
    EXPECT_EQ(OnDisk().LibraryFolders, Folder("a") + u'\r' + Folder("b"));
}

TEST_F(OptionsPageTest, AutostartEntryFollowsTheSwitchAndFailuresAreReported)
{
    auto* run = Find<QCheckBox>("IntMisc_Run_at_Startup");
    const QString entry = AutoRunEntryPath(QStringLiteral("Sarovin"));
    for (bool on : {true, false, false}) {  // the last: already missing, no error
        run->setChecked(on);
        Apply();
        EXPECT_EQ(QFile::exists(entry), on);
    }
    EXPECT_TRUE(shown.isEmpty());

    // Occupied paths: the settings file and the entry (not removable).
    const QString ini = DataFile(QStringLiteral("Settings.ini"));
    QFile::remove(ini);
    ASSERT_TRUE(QDir().mkpath(ini + QStringLiteral("/x")) && QDir().mkpath(entry + QStringLiteral("/x")));
    Find<QCheckBox>("Crossfader_Enable")->setChecked(true);
    Apply();
    EXPECT_EQ(Settings.CrossfaderEnabled, SwitchOn);
    EXPECT_EQ(shown, (QStringList{"16|Sarovin|" + SaveFailedText(ini), "16|Sarovin|" + SaveFailedText(entry)}));
}

TEST_F(OptionsPageTest, FactorySettings)
{
    Settings.LibraryFolders = QStringLiteral("/m/a");
    Settings.HotKeyPause = QStringLiteral("17 + 80");
    LoadOptions();
    const SettingsRecord untouched = Settings;
    messageAnswer = MsgNo;
    page_->comDefault->click();
    EXPECT_EQ(Settings, untouched);
    EXPECT_TRUE(host_.reapplied.isEmpty());
    EXPECT_EQ(shown, QStringList{"52|Werkseinstellungen laden|Sind sie sicher, dass Sie alle ihre Einstellungen "
                                  "zurücksetzen wollen?\r\nDiese Aktion kann nicht rückgängig gemacht werden."});

    folder_ = QStringLiteral("/m/b");
    Find<QPushButton>("Command4")->click();
    Find<QLineEdit>("CrossfaderTime")->setText(QStringLiteral("11"));
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
    EXPECT_EQ(asked, QStringLiteral("11"));
    for (int band = 0; band < kEqBands; ++band) {
        float inForce = 0;  // 0 only asks
        SetBandGain(band, inForce);
        EXPECT_EQ(inForce, 1.0f) << band;
    }

    const SettingsRecord onDisk = OnDisk();  // saved before the reset, not after
    EXPECT_EQ(onDisk.CrossfadeTime, 11);
    EXPECT_EQ(onDisk.LibraryFolders, QStringLiteral("/m/a\r/m/b"));
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
    Settings.HotKeyNext = QStringLiteral("17 + 35");
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
    dialogAnswers_ = {answer(true, QStringLiteral("18 + 36")), answer(true, QString()),
                      answer(false, QStringLiteral("99"))};
    const QStringList want = {"18 + 36", "(kein HotKey festgelegt)", "(kein HotKey festgelegt)"};
    for (const QString& text : want) {
        Find<QPushButton>("cmdChangeHotK_2")->click();
        EXPECT_EQ(label->text(), text);
    }
    EXPECT_EQ(opened, QStringList(3, QStringLiteral("17 + 35")));  // the stored field, not the label
    EXPECT_EQ(host_.timerCalls, (QList<bool>{false, true, false, true, false, true}));
    EXPECT_EQ(Settings.HotKeyNext, QStringLiteral("17 + 35"));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);  // Esc on the page reverts
    QApplication::sendEvent(page_->trvOptionsTree, &escape);
    EXPECT_EQ(label->text(), QStringLiteral("17 + 35"));
}

TEST_F(OptionsPageTest, WindowButtons)
{
    const struct { const char* button; bool saved; int result; } rows[] = {
        {"Command1", true, -1}, {"Command3", true, QDialog::Accepted}, {"Command2", false, QDialog::Rejected},
    };
    for (const auto& r : rows) {
        Settings.CrossfadeTime = 3;
        frmOptions window(nullptr);
        window.setResult(-1);
        window.findChild<QLineEdit*>(QStringLiteral("CrossfaderTime"))->setText(QStringLiteral("8"));
        window.findChild<QPushButton*>(QLatin1String(r.button))->click();
        EXPECT_EQ(Settings.CrossfadeTime, r.saved ? 8 : 3) << r.button;
        EXPECT_EQ(window.result(), r.result) << r.button;
    }
    QPointer<frmOptions> open = new frmOptions(nullptr);
    UnloadOptionsWindow();
    EXPECT_TRUE(open.isNull());
    UnloadOptionsWindow();
}

} // namespace
