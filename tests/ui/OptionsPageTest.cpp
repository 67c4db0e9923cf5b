#include "OptionsTestSupport.h"

#include "core/Busy.h"
#include "core/LibrarySync.h"
#include "core/Runtime.h"
#include "core/TagReader.h"
#include "platform/AutoRun.h"
#include "platform/ScreenDefaults.h"
#include "platform/TagLibReader.h"
#include "tests/support/AudioFixtures.h"
#include "ui/dialogs/OptionsController.h"
#include "ui/dialogs/OptionsPage.h"
#include "ui/dialogs/frmHotKEnable.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/dialogs/frmSelectLibraryAction.h"
#include "ui/main/OtherWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPointer>
#include <QRadioButton>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace {

TEST(OptionsConversions, NumbersHotKeysAndFolders)
{
    const struct { const char* text; std::optional<int16_t> want; } days[] = {
        {"2.9", 2}, {"-0.5", -1}, {"Tage", 0}, {"", 0}, {"32767", 32767}, {"32768", std::nullopt},
        {"-32768", -32768}, {"-32769", std::nullopt}, {"1e9", std::nullopt},
    };
    for (const auto& r : days) EXPECT_EQ(DaysFromText(QString::fromLatin1(r.text)), r.want) << r.text;
    const struct { const char* text; std::optional<int32_t> want; } fades[] = {
        {"2.5", 2}, {"3.5", 4}, {"5s", 5}, {"x", 0}, {"2147483647", 2147483647}, {"3000000000", std::nullopt},
    };
    for (const auto& r : fades) EXPECT_EQ(CrossfadeFromText(QString::fromLatin1(r.text)), r.want) << r.text;

    EXPECT_TRUE(CheckedForSwitch(-1));
    EXPECT_FALSE(CheckedForSwitch(0));
    EXPECT_FALSE(CheckedForSwitch(1));  // a stray stored 1 is shown off
    EXPECT_EQ(SwitchForChecked(true), SwitchOn);
    EXPECT_EQ(SwitchForChecked(false), SwitchOff);

    EXPECT_EQ(HotKeyLabelText(QString()), QStringLiteral("(kein HotKey festgelegt)"));
    EXPECT_EQ(HotKeyFromLabel(QStringLiteral("(kein HotKey festgelegt)")), QString());
    EXPECT_EQ(HotKeyFromLabel(QStringLiteral("17 + 36")), QStringLiteral("17 + 36"));

    EXPECT_EQ(FolderEntries(QStringLiteral("/a\r\r/b\r")), (QStringList{"/a", "/b"}));
    const struct { const char *joined, *stored; bool changed; } folders[] = {
        {"/a\r/b", "/a\r/b", false}, {"/a\r/b", "/a\r\r/b", false}, {"/a\r/b", "/a\r/b\r", false},
        {"/a\r/b", "/b\r/a", true},  {"/a", "/a\r/b", true},        {"/A", "/a", true},
    };
    for (const auto& r : folders)
        EXPECT_EQ(FoldersChanged(QString::fromLatin1(r.joined), QString::fromLatin1(r.stored)), r.changed) << r.stored;
}

class OptionsPageTest : public OptionsFixture {
protected:
    OptionsPage* Open()
    {
        LoadOptionsTree();
        LoadOptions();
        ShowOptions(QStringLiteral("Main"));
        return CurrentOptionsPage();
    }
    template <typename T>
    T* Find(const char* name) { return host_.frOptions.findChild<T*>(QLatin1String(name)); }
    QStringList VisibleFrames(QWidget* root, const QString& prefix)
    {
        QStringList out;
        for (QFrame* f : root->findChildren<QFrame*>())
            if (f->objectName().startsWith(prefix) && f->isVisibleTo(root)) out << f->objectName();
        return out;
    }
    QListWidget* Folders() { return Find<QListWidget>("AudioDBDirectorys"); }
    void SaveOptionsOnPage() { CurrentOptionsPage()->Command1->click(); }
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
        {"IntMisc_Run_at_Startup", &SettingsRecord::RunAtStartup},
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
    Settings.RunAtStartup = SwitchOff;  // the entry is written in its own test
    Settings.LibraryFolders = QStringLiteral("/m/a\r\r/m/b");
    Settings.SyncIntervalDays = 7;
    Settings.CrossfadeTime = 12;
    for (int k = 0; k < HotKeyCount; ++k) Settings.*HotKeyFields[k] = k == 3 ? QString() : QString::number(k + 10);
    Open();

    EXPECT_EQ(Folders()->count(), 2);
    EXPECT_EQ(Find<QLineEdit>("AudioDBsyncAutoTXT")->text(), QStringLiteral("7"));
    EXPECT_EQ(Find<QLineEdit>("CrossfaderTime")->text(), QStringLiteral("12"));
    for (const auto& c : checks) EXPECT_EQ(Find<QCheckBox>(c.name)->isChecked(), IsOn(Settings.*c.field)) << c.name;
    for (int k = 0; k < HotKeyCount; ++k)
        EXPECT_EQ(Find<QLabel>(labels[k])->text(), HotKeyLabelText(Settings.*HotKeyFields[k])) << labels[k];

    for (const auto& c : checks) Find<QCheckBox>(c.name)->toggle();
    Find<QCheckBox>("IntMisc_Run_at_Startup")->setChecked(false);
    Find<QLineEdit>("AudioDBsyncAutoTXT")->setText(QStringLiteral("2.9"));
    Find<QLineEdit>("CrossfaderTime")->setText(QStringLiteral("3.5"));
    Find<QLabel>(labels[0])->setText(QStringLiteral("(kein HotKey festgelegt)"));
    const SettingsRecord before = Settings;
    CurrentOptionsPage()->Command1->click();

    for (const auto& c : checks) {
        if (c.field == &SettingsRecord::RunAtStartup) continue;
        EXPECT_EQ(Settings.*c.field, IsOn(before.*c.field) ? SwitchOff : SwitchOn) << c.name;
    }
    EXPECT_EQ(Settings.LibraryFolders, QStringLiteral("/m/a\r/m/b"));  // joined text, no question
    EXPECT_EQ(Settings.SyncIntervalDays, 2);
    EXPECT_EQ(Settings.CrossfadeTime, 4);
    EXPECT_EQ(Settings.HotKeyPause, QString());
    EXPECT_EQ(Settings.HotKeyPrev, QString());
    EXPECT_EQ(Settings.HotKeyStop, QStringLiteral("11"));
    EXPECT_TRUE(dialogs_.isEmpty());
    SettingsRecord onDisk = Settings;
    QFile ini(DataFile(QStringLiteral("Settings.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    SettingsFromBytes(ini.readAll(), onDisk);
    EXPECT_EQ(onDisk, Settings);
}

TEST_F(OptionsPageTest, NumbersBeyondTheirFieldKeepTheOldValue)
{
    Settings.SyncIntervalDays = 9;
    Settings.CrossfadeTime = 6;
    Open();
    auto* days = Find<QLineEdit>("AudioDBsyncAutoTXT");
    auto* fade = Find<QLineEdit>("CrossfaderTime");
    days->setText(QStringLiteral("32768"));
    fade->setText(QStringLiteral("3000000000"));
    SaveOptionsOnPage();
    EXPECT_EQ(Settings.SyncIntervalDays, 9);
    EXPECT_EQ(Settings.CrossfadeTime, 6);
    EXPECT_EQ(days->text(), QStringLiteral("9"));
    EXPECT_EQ(fade->text(), QStringLiteral("6"));
    days->setText(QStringLiteral("32767"));
    SaveOptionsOnPage();
    EXPECT_EQ(Settings.SyncIntervalDays, 32767);
}

TEST_F(OptionsPageTest, CategoriesShowOneFrameAndTheirTitle)
{
    frmOptions window(nullptr);
    EXPECT_EQ(window.lblTitle->text(), QStringLiteral("Sarovin Optionen"));
    OptionsPage* page = Open();
    LoadOptionsTree();  // a second opening
    EXPECT_EQ(page->lblOptTitle->text(), QStringLiteral("Einstellungen - Sarovin Optionen"));
    EXPECT_EQ(VisibleFrames(page, QStringLiteral("frOpt")), QStringList{"frOptMain"});
    QTreeWidgetItemIterator count(page->trvOptionsTree);
    int nodes = 0;
    for (; *count; ++count) ++nodes;
    EXPECT_EQ(nodes, 14);
    EXPECT_EQ(page->trvOptionsTree->topLevelItemCount(), 5);

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
        const QStringList frames = r.title ? QStringList{key} : QStringList{};
        // The page through a click on its node where there is one, the window by ShowOption.
        QTreeWidgetItem* node = nullptr;
        for (QTreeWidgetItemIterator it(page->trvOptionsTree); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toString() == key) node = *it;
        if (node) emit page->trvOptionsTree->itemClicked(node, 0);
        else ShowOptions(key);
        window.ShowOption(key);
        EXPECT_EQ(page->lblOptTitle->text(), QStringLiteral("Einstellungen - ") + title) << r.key;
        EXPECT_EQ(window.lblTitle->text(), title) << r.key;
        QStringList pageFrames, windowFrames;
        for (const QString& f : frames) pageFrames << QStringLiteral("frOpt") + f, windowFrames << QStringLiteral("fr") + f;
        EXPECT_EQ(VisibleFrames(page, QStringLiteral("frOpt")), pageFrames) << r.key;
        QStringList shown = VisibleFrames(&window, QStringLiteral("fr"));
        EXPECT_EQ(shown, windowFrames) << r.key;
        EXPECT_EQ(window.Label4->isVisibleTo(&window), frames.isEmpty()) << r.key;
    }
}

TEST_F(OptionsPageTest, FoldersAddRemoveAndTheLibraryQuestion)
{
    Settings.LibraryFolders = QStringLiteral("/m/a\r\r/m/b");
    Open();
    SaveOptionsOnPage();
    folderAnswer_ = QStringLiteral("/m/c");
    Find<QPushButton>("Command4")->click();
    Folders()->setCurrentRow(2);
    Find<QPushButton>("Command5")->click();
    Folders()->clearSelection();
    Find<QPushButton>("Command5")->click();  // nothing selected: nothing removed
    SaveOptionsOnPage();
    EXPECT_EQ(folderPrompts_, QStringList{"Bitte geben Sie das gewünschte Verzeichnis an."});
    EXPECT_EQ(Settings.LibraryFolders, QStringLiteral("/m/a\r/m/b"));
    EXPECT_TRUE(dialogs_.isEmpty());

    folderAnswer_.clear();  // cancelled: nothing added
    Find<QPushButton>("Command4")->click();
    EXPECT_EQ(Folders()->count(), 2);
}

// A real library over two generated titles, one folder each.
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
        ASSERT_FALSE(Library.Files[0].FileName.isEmpty());
        Library.Files[0].PlayCNT = 7;
        Open();
        folderAnswer_ = Folder("b");
        Find<QPushButton>("Command4")->click();
    }
    void TearDown() override
    {
        SetTagReader(nullptr);
        OptionsPageTest::TearDown();
    }
    QString Folder(const char* name) const { return music_.path() + u'/' + QLatin1String(name); }
    int Titles() const { return Library.Files.size(); }
    QTemporaryDir music_;
};

TEST_F(OptionsLibraryTest, TheChoiceDecidesOverTheLibrary)
{
    const auto pick = [](QRadioButton* frmSelectLibraryAction::*option) {
        return [option](QDialog& d) {
            auto& choice = dynamic_cast<frmSelectLibraryAction&>(d);
            (choice.*option)->setChecked(true);
            choice.Command1->click();
        };
    };
    const struct { const char* what; std::function<void(QDialog&)> answer; int titles; } rows[] = {
        {"Nichts verändern", pick(&frmSelectLibraryAction::Option3), 1},
        {"frame", [](QDialog& d) { d.close(); }, 1},
        {"Esc", [](QDialog& d) { d.reject(); }, 1},
        {"rebuild", pick(&frmSelectLibraryAction::Option1), 2},
    };
    for (const auto& r : rows) {
        Settings.LibraryFolders = Folder("a");
        dialogs_.clear();
        dialogAnswers_.push_back(r.answer);
        SaveOptionsOnPage();
        EXPECT_EQ(dialogs_, QStringList{"frmSelectLibraryAction"}) << r.what;
        EXPECT_EQ(Titles(), r.titles) << r.what;
        EXPECT_EQ(Settings.LibraryFolders, Folder("a") + u'\r' + Folder("b")) << r.what;
    }
    EXPECT_EQ(Library.Files[0].PlayCNT, 0);  // rebuilt
}

TEST_F(OptionsLibraryTest, BusyRefusesWithTheBusyMessage)
{
    BusyGuard busy;
    ASSERT_TRUE(busy.Acquired());
    SaveOptionsOnPage();
    EXPECT_TRUE(dialogs_.isEmpty());
    ASSERT_EQ(boxes_.size(), 1);
    EXPECT_TRUE(boxes_[0].startsWith(QStringLiteral("48|Synchronisieren|")));
    EXPECT_EQ(Titles(), 1);
    EXPECT_EQ(Settings.LibraryFolders, Folder("a") + u'\r' + Folder("b"));
}

TEST_F(OptionsPageTest, AutostartEntryFollowsTheSwitch)
{
    Open();
    auto* run = Find<QCheckBox>("IntMisc_Run_at_Startup");
    const QString entry = AutoRunEntryPath(QStringLiteral("Sarovin"));
    run->setChecked(true);
    SaveOptionsOnPage();
    EXPECT_TRUE(QFile::exists(entry));
    run->setChecked(false);
    SaveOptionsOnPage();
    EXPECT_FALSE(QFile::exists(entry));
    SaveOptionsOnPage();  // already missing: no error
    EXPECT_TRUE(boxes_.isEmpty());
}

TEST_F(OptionsPageTest, FailedWritesAreReportedAndTheRecordKeepsTheNewValues)
{
    Open();
    ASSERT_TRUE(QDir().mkpath(DataFile(QStringLiteral("Settings.ini")) + QStringLiteral("/x")));
    const QString entry = AutoRunEntryPath(QStringLiteral("Sarovin"));
    ASSERT_TRUE(QDir().mkpath(entry + QStringLiteral("/x")));  // cannot be removed
    Find<QCheckBox>("Crossfader_Enable")->setChecked(true);
    SaveOptionsOnPage();
    EXPECT_EQ(Settings.CrossfaderEnabled, SwitchOn);
    EXPECT_EQ(boxes_, (QStringList{"16|Sarovin|" + SaveFailedText(DataFile(QStringLiteral("Settings.ini"))),
                                   "16|Sarovin|" + SaveFailedText(entry)}));

    boxes_.clear();
    QDir(AutoRunFolder()).removeRecursively();
    QFile occupied(AutoRunFolder());  // a file where the folder belongs
    ASSERT_TRUE(occupied.open(QIODevice::WriteOnly));
    occupied.close();
    Find<QCheckBox>("IntMisc_Run_at_Startup")->setChecked(true);
    SaveOptionsOnPage();
    EXPECT_EQ(boxes_.size(), 2);
    EXPECT_EQ(boxes_.value(1), "16|Sarovin|" + SaveFailedText(entry));
}

TEST_F(OptionsPageTest, FactorySettings)
{
    Settings.LibraryFolders = QStringLiteral("/m/a");
    Settings.CrossfadeTime = 9;
    Settings.HotKeyPause = QStringLiteral("17 + 80");
    Open();
    const SettingsRecord untouched = Settings;
    answers_ = {MsgNo};
    CurrentOptionsPage()->comDefault->click();
    EXPECT_EQ(Settings, untouched);
    EXPECT_EQ(host_.reapplied, 0);
    ASSERT_EQ(boxes_.size(), 1);
    EXPECT_EQ(boxes_[0], QStringLiteral("52|Werkseinstellungen laden|Sind sie sicher, dass Sie alle ihre "
                                        "Einstellungen zurücksetzen wollen?\r\nDiese Aktion kann nicht rückgängig "
                                        "gemacht werden."));

    folderAnswer_ = QStringLiteral("/m/b");
    Find<QPushButton>("Command4")->click();
    Find<QLineEdit>("CrossfaderTime")->setText(QStringLiteral("11"));
    QString asked;
    dialogAnswers_.push_back([&](QDialog& d) {
        asked = Find<QLineEdit>("CrossfaderTime")->text();  // still the page's own state
        dynamic_cast<frmSelectLibraryAction&>(d).Option3->setChecked(true);
        dynamic_cast<frmSelectLibraryAction&>(d).Command1->click();
    });
    answers_ = {MsgYes};
    CurrentOptionsPage()->comDefault->click();
    EXPECT_EQ(asked, QStringLiteral("11"));

    QFile ini(DataFile(QStringLiteral("Settings.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    SettingsRecord onDisk = Settings;
    SettingsFromBytes(ini.readAll(), onDisk);
    EXPECT_EQ(onDisk.CrossfadeTime, 11);
    EXPECT_EQ(onDisk.LibraryFolders, QStringLiteral("/m/a\r/m/b"));
    const SettingsRecord now = Settings;
    Settings = onDisk;
    ResetSettingsForScreen();
    const SettingsRecord expected = Settings;
    Settings = now;
    EXPECT_EQ(Settings, expected);
    EXPECT_EQ(host_.reapplied, 1);
    EXPECT_EQ(host_.reappliedRecord, expected);
    EXPECT_EQ(Find<QLineEdit>("CrossfaderTime")->text(), QString::number(expected.CrossfadeTime));
    EXPECT_EQ(Find<QLabel>("IntHotK_Pause")->text(), expected.HotKeyPause);
}

TEST_F(OptionsPageTest, HotKeyChangeRevertAndCancel)
{
    Settings.HotKeyNext = QStringLiteral("17 + 35");
    Open();
    auto* label = Find<QLabel>("IntHotK_Next");
    QStringList opened;
    const auto answer = [&](bool ok, const QString& text) {
        return [&opened, ok, text](QDialog& d) {
            auto& capture = dynamic_cast<frmHotKEnable&>(d);
            opened << capture.Text1->text();
            capture.Command3->click();
            capture.Text1->setText(text);
            (ok ? capture.Command1 : capture.Command2)->click();
        };
    };
    dialogAnswers_ = {answer(true, QStringLiteral("18 + 36")), answer(true, QString()),
                      answer(false, QStringLiteral("99"))};
    host_.timerCalls.clear();
    Find<QPushButton>("cmdChangeHotK_2")->click();
    EXPECT_EQ(label->text(), QStringLiteral("18 + 36"));
    Find<QPushButton>("cmdChangeHotK_2")->click();
    EXPECT_EQ(label->text(), QStringLiteral("(kein HotKey festgelegt)"));
    Find<QPushButton>("cmdChangeHotK_2")->click();  // cancelled
    EXPECT_EQ(label->text(), QStringLiteral("(kein HotKey festgelegt)"));
    EXPECT_EQ(opened, QStringList(3, QStringLiteral("17 + 35")));  // the stored field each time
    EXPECT_EQ(host_.timerCalls, (QList<bool>{false, true, false, true, false, true}));
    EXPECT_EQ(Settings.HotKeyNext, QStringLiteral("17 + 35"));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(Find<QTreeWidget>("trvOptionsTree"), &escape);
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
    auto* open = new frmOptions(nullptr);
    QPointer<frmOptions> watch(open);
    UnloadOptionsWindow();
    EXPECT_TRUE(watch.isNull());
    UnloadOptionsWindow();
}

} // namespace
