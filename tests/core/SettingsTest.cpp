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

// Every field set, neighbours told apart, texts with umlauts, CJK, CR and CR LF.
SettingsRecord FullRecord()
{
    SettingsRecord r{.AutoSyncEnabled = -1, .SyncOnStart = 0, .SyncOnWindowsStart = -1,
                     .LibraryFolders = QStringLiteral("/home/jörg/Musik\r/media/音楽/歌"), .SyncIntervalDays = 7,
                     .SyncOnlyNewTags = -1, .SyncPeriodic = -1, .LastTrack = 123456, .LastPosition = 98.765,
                     .SavedVolume = 20000, .Shuffle = 0, .IntroMode = -1, .LastPaused = 1, .MinimizeToTray = -1,
                     .CloseToTray = 0, .RunAtStartup = 0, .InTray = -1, .MainWindowState = 2, .MainLeft = 1111,
                     .MainTop = 2222, .MainWidth = 30000, .MainHeight = 20000, .ColumnVisible = {}, .HotKeysEnabled = -1,
                     .HotKeyPause = "17 + 18 + 36 + 162 + 164", .HotKeyStop = "17 + 18 + 33 + 162 + 164",
                     .HotKeyNext = "17 + 18 + 35 + 162 + 164", .HotKeyPrev = "17 + 18 + 34 + 162 + 164",
                     .HotKeyShowMe = {}, .HotKeyVolPlus = "17 + 38", .HotKeyVolMinus = "17 + 18 + 40 + 162 + 164",
                     .StartCount = 41, .CleanExitCount = 39, .CleanExit = -1, .DynPlaylists = {}, .RepeatAll = 0,
                     .RepeatTitle = -1, .EqGains = {}, .ShowTrayBalloon = -1, .ShowMiniPlayer = 0, .Reserved = 0x1234,
                     .CrossfaderEnabled = -1, .CrossfadeTime = 9, .SpectrumInMain = -1, .SpectrumInMini = -1};
    for (int i = 0; i < ColumnVisibleCount; ++i) r.ColumnVisible[i] = i % 3 ? -1 : 0;
    for (int i = 0; i < EqGainCount; ++i) r.EqGains[i] = 0.5f * i;
    for (int i = 0; i < DynPlaylistCount; ++i) {
        if (i == 5) continue;  // a free slot in the middle
        r.DynPlaylists[i] = {QStringLiteral("Liste %1 – Größe 日本").arg(i),
                             QStringLiteral("Artist = Björk\r\nYear > 19%1\r\nGenre = Pop").arg(i)};
    }
    return r;
}

TEST(Settings, EmptyTextRecordHasTheFixedLayout)
{
    SettingsRecord r = FullRecord();
    r.LibraryFolders = r.HotKeyPause = r.HotKeyStop = r.HotKeyNext = r.HotKeyPrev = r.HotKeyVolPlus =
        r.HotKeyVolMinus = QString();
    r.DynPlaylists = {};
    const QByteArray b = SettingsToBytes(r);
    ASSERT_EQ(b.size(), 280);
    EXPECT_EQ(At<int32_t>(b, 14), 123456);   // LastTrack
    EXPECT_EQ(At<double>(b, 18), 98.765);    // LastPosition
    EXPECT_EQ(At<int32_t>(b, 26), 20000);    // SavedVolume
    for (int i = 0; i < ColumnVisibleCount; ++i) EXPECT_EQ(At<int16_t>(b, 54 + 2 * i), r.ColumnVisible[i]) << i;
    EXPECT_EQ(At<int32_t>(b, 102), 41);      // StartCount
    EXPECT_EQ(At<int16_t>(b, 110), -1);      // CleanExit
    EXPECT_EQ(At<int16_t>(b, 192), 0);       // RepeatAll
    for (int i = 0; i < EqGainCount; ++i) EXPECT_EQ(At<float>(b, 196 + 4 * i), 0.5f * i) << i;
    EXPECT_EQ(At<int32_t>(b, 272), 9);       // CrossfadeTime
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
    SettingsRecord big = FullRecord();
    for (auto& p : big.DynPlaylists) p.Query = QString(600, u'ü');  // over the record length: written whole
    for (const SettingsRecord& full : {FullRecord(), big}) {
        Settings = full;
        ASSERT_TRUE(SaveSettings());
        EXPECT_EQ(QFile(home.File("Settings.ini")).size(), std::max(qsizetype(10000), SettingsToBytes(full).size()));
        Settings = SettingsRecord{};
        Settings.HotKeyShowMe = Settings.DynPlaylists[5].Name = QStringLiteral("stale");  // texts emptied first
        LoadSettings();
        EXPECT_EQ(Settings, full);
    }
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
        EXPECT_TRUE(length == used || r != FullRecord()) << "length " << length;
    }
    EXPECT_EQ(previous, FullRecord());

    // The same on disk: a cut file loads what it holds.
    for (qsizetype length : {qsizetype(0), used - 1}) {
        QFile cut(home.File("Settings.ini"));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(bytes.left(length));
        cut.close();
        Settings = SettingsRecord{};
        LoadSettings();
        EXPECT_EQ(std::tuple(Settings.StartCount, Settings.SpectrumInMini), std::tuple(length ? 41 : 0, 0)) << length;
    }
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
    const auto place = [](const SettingsRecord& s) {
        return std::tuple(s.MainLeft, s.MainTop, s.MainWidth, s.MainHeight, s.MainWindowState);
    };
    EXPECT_EQ(place(Settings), std::tuple(4800, 2700, 19200, 10800, 0));
    EXPECT_EQ(std::tuple(Settings.LastTrack, Settings.LastPosition, Settings.SavedVolume), std::tuple(-1, 0.0, 16384));
    const auto kept = [](const SettingsRecord& s) {
        return std::tie(s.InTray, s.StartCount, s.CleanExitCount, s.CleanExit, s.DynPlaylists, s.SpectrumInMain,
                        s.SpectrumInMini, s.Reserved, s.LibraryFolders);
    };
    EXPECT_TRUE(kept(Settings) == kept(before));

    // An empty library folder is filled; large screens are bounded.
    Settings = SettingsRecord{};
    ResetSettings(60000, 90000);
    EXPECT_EQ(Settings.LibraryFolders, GetSpecialFolderPath(5));
    EXPECT_TRUE(QDir::isAbsolutePath(Settings.LibraryFolders));
    EXPECT_EQ(place(Settings), std::tuple(10000, 15000, 32767, 32767, 0));
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
