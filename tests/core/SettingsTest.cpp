#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

class TempHome {
public:
    TempHome() { qputenv("SAROVIN_HOME", dir.path().toUtf8()); }
    ~TempHome() { qunsetenv("SAROVIN_HOME"); }
    QString File(const QString& name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
};

template <typename T>
T At(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

// Every field set, texts with umlauts, CJK, CR and CR LF.
SettingsRecord FullRecord()
{
    SettingsRecord r;
    r.AutoSyncEnabled = -1;
    r.SyncOnStart = 0;
    r.SyncOnWindowsStart = -1;
    r.LibraryFolders = QStringLiteral("/home/jörg/Musik\r/media/音楽/歌");
    r.SyncIntervalDays = 7;
    r.SyncOnlyNewTags = -1;
    r.SyncPeriodic = -1;
    r.LastTrack = 123456;
    r.LastPosition = 98.765;
    r.SavedVolume = 20000;
    r.Shuffle = 0;
    r.IntroMode = -1;
    r.LastPaused = 1;
    r.MinimizeToTray = -1;
    r.CloseToTray = 0;
    r.RunAtStartup = 0;
    r.InTray = -1;
    r.MainWindowState = 2;
    r.MainLeft = 1111;
    r.MainTop = 2222;
    r.MainWidth = 30000;
    r.MainHeight = 20000;
    for (int i = 0; i < ColumnVisibleCount; ++i) r.ColumnVisible[i] = i % 3 ? -1 : 0;
    r.HotKeysEnabled = -1;
    r.HotKeyPause = QStringLiteral("17 + 18 + 36 + 162 + 164");
    r.HotKeyStop = QStringLiteral("17 + 18 + 33 + 162 + 164");
    r.HotKeyNext = QStringLiteral("17 + 18 + 35 + 162 + 164");
    r.HotKeyPrev = QStringLiteral("17 + 18 + 34 + 162 + 164");
    r.HotKeyShowMe = QString();
    r.HotKeyVolPlus = QStringLiteral("17 + 38");
    r.HotKeyVolMinus = QStringLiteral("17 + 18 + 40 + 162 + 164");
    r.StartCount = 41;
    r.CleanExitCount = 39;
    r.CleanExit = -1;
    for (int i = 0; i < DynPlaylistCount; ++i) {
        if (i == 5) continue;  // a free slot in the middle
        r.DynPlaylists[i].Name = QStringLiteral("Liste %1 – Größe 日本").arg(i);
        r.DynPlaylists[i].Query = QStringLiteral("Artist = Björk\r\nYear > 19%1\r\nGenre = Pop").arg(i);
    }
    r.RepeatAll = 0;
    r.RepeatTitle = -1;
    for (int i = 0; i < EqGainCount; ++i) r.EqGains[i] = 0.5f * i;
    r.ShowTrayBalloon = -1;
    r.ShowMiniPlayer = 0;
    r.Reserved = 0x1234;
    r.CrossfaderEnabled = -1;
    r.CrossfadeTime = 9;
    r.SpectrumInMain = -1;
    r.SpectrumInMini = -1;
    return r;
}

TEST(Settings, EmptyTextRecordHasTheFixedLayout)
{
    SettingsRecord r = FullRecord();
    r.LibraryFolders.clear();
    r.HotKeyPause = r.HotKeyStop = r.HotKeyNext = r.HotKeyPrev = QString();
    r.HotKeyShowMe = r.HotKeyVolPlus = r.HotKeyVolMinus = QString();
    r.DynPlaylists = {};
    const QByteArray b = SettingsToBytes(r);
    ASSERT_EQ(b.size(), 280);

    EXPECT_EQ(At<int16_t>(b, 0), -1);           // AutoSyncEnabled
    EXPECT_EQ(At<uint16_t>(b, 6), 0);           // empty LibraryFolders
    EXPECT_EQ(At<int16_t>(b, 8), 7);            // SyncIntervalDays
    EXPECT_EQ(At<int32_t>(b, 14), 123456);      // LastTrack
    EXPECT_EQ(At<double>(b, 18), 98.765);       // LastPosition
    EXPECT_EQ(At<int32_t>(b, 26), 20000);       // SavedVolume
    EXPECT_EQ(At<int16_t>(b, 34), 1);           // LastPaused
    EXPECT_EQ(At<int16_t>(b, 52), 20000);       // MainHeight
    for (int i = 0; i < ColumnVisibleCount; ++i)
        EXPECT_EQ(At<int16_t>(b, 54 + 2 * i), r.ColumnVisible[i]) << i;
    EXPECT_EQ(At<int16_t>(b, 86), -1);          // HotKeysEnabled
    EXPECT_EQ(At<int32_t>(b, 102), 41);         // StartCount
    EXPECT_EQ(At<int32_t>(b, 106), 39);         // CleanExitCount
    EXPECT_EQ(At<int16_t>(b, 110), -1);         // CleanExit
    EXPECT_EQ(At<int16_t>(b, 192), 0);          // RepeatAll
    EXPECT_EQ(At<int16_t>(b, 194), -1);         // RepeatTitle
    for (int i = 0; i < EqGainCount; ++i) EXPECT_EQ(At<float>(b, 196 + 4 * i), 0.5f * i) << i;
    EXPECT_EQ(At<int16_t>(b, 268), 0x1234);     // reserved
    EXPECT_EQ(At<int32_t>(b, 272), 9);          // CrossfadeTime
    EXPECT_EQ(At<int16_t>(b, 278), -1);         // SpectrumInMini
}

TEST(Settings, TextItemsAreCountedUtf8Bytes)
{
    SettingsRecord r;
    r.LibraryFolders = QStringLiteral("ä音");
    const QByteArray b = SettingsToBytes(r);
    ASSERT_EQ(b.size(), 285);
    EXPECT_EQ(At<uint16_t>(b, 6), 5);
    EXPECT_EQ(b.mid(8, 5), QByteArray("\xC3\xA4\xE9\x9F\xB3"));
}

TEST(Settings, SaveAndLoadGiveBackEveryField)
{
    TempHome home;
    const SettingsRecord full = FullRecord();
    Settings = full;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(QFile(home.File("Settings.ini")).size(), 10000);

    Settings = SettingsRecord{};
    Settings.HotKeyShowMe = QStringLiteral("stale");  // texts are emptied before reading
    Settings.DynPlaylists[5].Name = QStringLiteral("stale");
    LoadSettings();
    EXPECT_EQ(Settings, full);
}

TEST(Settings, RecordOverTheRecordLengthIsWrittenWhole)
{
    TempHome home;
    SettingsRecord big = FullRecord();
    for (auto& p : big.DynPlaylists) p.Query = QString(600, u'ü');
    Settings = big;
    ASSERT_TRUE(SaveSettings());
    EXPECT_GT(QFile(home.File("Settings.ini")).size(), 20 * 1200);
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings, big);
}

TEST(Settings, OverlongTextIsCutAtACharacterBoundary)
{
    SettingsRecord r = FullRecord();
    r.LibraryFolders = QString(40000, u'ä');  // 80000 UTF-8 bytes
    SettingsRecord back;
    SettingsFromBytes(SettingsToBytes(r), back);
    EXPECT_EQ(back.LibraryFolders, QString(32767, u'ä'));
    back.LibraryFolders = r.LibraryFolders;
    EXPECT_EQ(back, r);  // the fields after it are intact
}

// A file cut anywhere loads without harm, and whatever it reads agrees with
// the file: a field is taken whole or not at all.
TEST(Settings, EveryTruncationOfARealFileLoadsAPrefix)
{
    TempHome home;
    Settings = FullRecord();
    ASSERT_TRUE(SaveSettings());
    QFile file(home.File("Settings.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const qsizetype used = SettingsToBytes(FullRecord()).size();

    SettingsRecord previous;
    for (qsizetype length = 0; length <= used; ++length) {
        SettingsRecord r;
        SettingsFromBytes(bytes.left(length), r);
        if (!(r == previous)) {
            EXPECT_TRUE(SettingsToBytes(r).startsWith(bytes.left(length))) << "length " << length;
            previous = r;
        }
        if (length < used) {
            EXPECT_NE(r, FullRecord()) << "length " << length;
        }
    }
    EXPECT_EQ(previous, FullRecord());

    // The same on disk, for a few cuts: a cut file loads what it holds.
    for (qsizetype length : {qsizetype(0), qsizetype(1), used - 1}) {
        QFile cut(home.File("Settings.ini"));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(bytes.left(length));
        cut.close();
        Settings = SettingsRecord{};
        LoadSettings();
        EXPECT_EQ(Settings.StartCount, length > 1 ? 41 : 0) << length;
        EXPECT_EQ(Settings.SpectrumInMini, 0) << length;
    }
}

TEST(Settings, ByteCountPastTheEndStopsAtThatText)
{
    SettingsRecord r;
    r.AutoSyncEnabled = -1;
    r.SyncIntervalDays = 5;
    r.StartCount = 3;
    QByteArray b = SettingsToBytes(r);
    qToLittleEndian<uint16_t>(0xFFFF, b.data() + 6);
    SettingsRecord back;
    SettingsFromBytes(b, back);
    EXPECT_EQ(back.AutoSyncEnabled, -1);
    EXPECT_TRUE(back.LibraryFolders.isEmpty());
    EXPECT_EQ(back.SyncIntervalDays, 0);
    EXPECT_EQ(back.StartCount, 0);  // StartCount 0: the first-start path
}

TEST(Settings, MissingFileLoadsTheInitialState)
{
    TempHome home;
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings, SettingsRecord{});
}

TEST(Settings, FailedSaveReportsFailureAndKeepsNothingHalfWritten)
{
    TempHome home;
    // A directory in the file's place makes the final rename fail, also as root.
    ASSERT_TRUE(QDir().mkpath(home.File("Settings.ini")));
    Settings = FullRecord();
    EXPECT_FALSE(SaveSettings());
    EXPECT_TRUE(QFileInfo(home.File("Settings.ini")).isDir());
}

TEST(Settings, ResetLoadsDefaultsAndLeavesTheRestAlone)
{
    const SettingsRecord before = FullRecord();
    Settings = before;
    ResetSettings(1920 * 15, 1080 * 15);
    SettingsRecord s = Settings;

    EXPECT_EQ(s.MainLeft, 4800);
    EXPECT_EQ(s.MainTop, 2700);
    EXPECT_EQ(s.MainWidth, 19200);
    EXPECT_EQ(s.MainHeight, 10800);
    EXPECT_EQ(s.MainWindowState, 0);
    EXPECT_EQ(s.LastTrack, -1);
    EXPECT_EQ(s.LastPosition, 0);
    EXPECT_EQ(s.LastPaused, 1);
    EXPECT_EQ(s.SavedVolume, 16384);
    EXPECT_EQ(s.SyncIntervalDays, 2);
    EXPECT_EQ(s.CrossfadeTime, 2);
    EXPECT_EQ(s.HotKeyShowMe, QStringLiteral("17 + 18 + 45 + 162 + 164"));
    EXPECT_EQ(s.HotKeyVolPlus, QStringLiteral("17 + 18 + 38 + 162 + 164"));
    for (float g : s.EqGains) EXPECT_EQ(g, 21.0f);
    for (Switch v : s.ColumnVisible) EXPECT_EQ(v, -1);
    EXPECT_EQ(s.Shuffle, -1);
    EXPECT_EQ(s.RepeatAll, -1);
    EXPECT_EQ(s.RepeatTitle, 0);
    EXPECT_EQ(s.CloseToTray, -1);
    EXPECT_EQ(s.ShowMiniPlayer, -1);
    EXPECT_EQ(s.CrossfaderEnabled, -1);
    EXPECT_EQ(s.IntroMode, 0);
    EXPECT_EQ(s.AutoSyncEnabled, 0);

    // Fields the defaults do not touch.
    EXPECT_EQ(s.InTray, before.InTray);
    EXPECT_EQ(s.StartCount, before.StartCount);
    EXPECT_EQ(s.CleanExitCount, before.CleanExitCount);
    EXPECT_EQ(s.CleanExit, before.CleanExit);
    EXPECT_EQ(s.DynPlaylists, before.DynPlaylists);
    EXPECT_EQ(s.SpectrumInMain, before.SpectrumInMain);
    EXPECT_EQ(s.SpectrumInMini, before.SpectrumInMini);
    EXPECT_EQ(s.Reserved, before.Reserved);
    EXPECT_EQ(s.LibraryFolders, before.LibraryFolders);
}

TEST(Settings, ResetFillsAnEmptyLibraryFolderAndBoundsLargeScreens)
{
    Settings = SettingsRecord{};
    ResetSettings(60000, 90000);
    EXPECT_EQ(Settings.LibraryFolders, GetSpecialFolderPath(5));
    EXPECT_FALSE(Settings.LibraryFolders.isEmpty());
    EXPECT_EQ(Settings.MainLeft, 10000);
    EXPECT_EQ(Settings.MainTop, 15000);
    EXPECT_EQ(Settings.MainWidth, 32767);
    EXPECT_EQ(Settings.MainHeight, 32767);
}

TEST(Settings, SpecialFolders)
{
    EXPECT_TRUE(QDir::isAbsolutePath(GetSpecialFolderPath(5)));
    EXPECT_EQ(GetSpecialFolderPath(0), QString());
    EXPECT_EQ(GetSpecialFolderPath(-1), QString());
}

TEST(Settings, BoolToCheckAndClampVolume)
{
    const struct { int16_t in, out; } checks[] = {{-1, 1}, {0, 0}, {1, 0}, {-2, 0}, {32767, 0}};
    for (auto c : checks) EXPECT_EQ(BoolToCheck(c.in), c.out) << c.in;
    const struct { int64_t in; int32_t out; } volumes[] = {
        {-5, 0}, {0, 0}, {16384, 16384}, {32768, 32768}, {32769, 32768}, {int64_t(1) << 40, 32768}};
    for (auto v : volumes) EXPECT_EQ(ClampVolume(v.in), v.out) << v.in;
}

} // namespace
