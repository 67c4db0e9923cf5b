#include "core/Settings.h"

#include "tests/support/ProgramTest.h"

#include <QDir>
#include <QFile>

#include <bit>
#include <string>

namespace {

using namespace std::string_literals;

using SettingsFile = ProgramTest;

// Field n holds bytes of value n (hex), so a field in the wrong place or of
// the wrong width shows in the bytes; three playlists hold texts.
SettingsRecord NumberedRecord()
{
    const auto t = [](const char* text) { return QString::fromLatin1(text); };
    SettingsRecord r{.AutoSyncEnabled = 0x0101, .SyncOnStart = 0x0202, .SyncOnWindowsStart = 0x0303,
                     .LibraryFolders = t("t04"), .SyncIntervalDays = 0x0505, .SyncOnlyNewTags = 0x0606,
                     .SyncPeriodic = 0x0707, .LastTrack = 0x08080808, .LastPosition = 9.5, .SavedVolume = 0x0A0A0A0A,
                     .Shuffle = 0x0B0B, .IntroMode = 0x0C0C, .LastPaused = 0x0D0D, .MinimizeToTray = 0x0E0E,
                     .CloseToTray = 0x0F0F, .RunAtStartup = 0x1010, .InTray = 0x1111, .MainWindowState = 0x1212,
                     .MainLeft = 0x1313, .MainTop = 0x1414, .MainWidth = 0x1515, .MainHeight = 0x1616,
                     .ColumnVisible = {}, .HotKeysEnabled = 0x1818, .HotKeyPause = t("t25"), .HotKeyStop = t("t26"),
                     .HotKeyNext = t("t27"), .HotKeyPrev = t("t28"), .HotKeyShowMe = t("t29"),
                     .HotKeyVolPlus = t("t30"), .HotKeyVolMinus = t("t31"), .StartCount = 0x20202020,
                     .CleanExitCount = 0x21212121, .CleanExit = 0x2222, .DynPlaylists = {}, .RepeatAll = 0x2424,
                     .RepeatTitle = 0x2525, .EqGains = {}, .ShowTrayBalloon = 0x2727, .ShowMiniPlayer = 0x2828,
                     .Reserved = 0x2929, .CrossfaderEnabled = 0x2A2A, .CrossfadeTime = 0x2B2B2B2B,
                     .SpectrumInMain = 0x2C2C, .SpectrumInMini = 0x2D2D};
    for (int i = 0; i < ColumnVisibleCount; ++i) r.ColumnVisible[i] = Switch(0x1700 + i);
    for (int i = 0; i < EqGainCount; ++i) r.EqGains[i] = std::bit_cast<float>(uint32_t(0x26000000 + i));
    r.DynPlaylists[0] = {t("n00"), t("q00")};
    r.DynPlaylists[1] = {t("n01"), t("q01")};
    r.DynPlaylists[19] = {t("n19"), t("q19")};
    return r;
}

// NumberedRecord with negative numbers, texts with umlauts, CJK, CR and CR LF,
// and every playlist slot but one in the middle used.
SettingsRecord FullRecord()
{
    SettingsRecord r = NumberedRecord();
    r.LibraryFolders = QStringLiteral("/home/jörg/Musik\r/media/音楽/歌");
    r.AutoSyncEnabled = r.InTray = r.ColumnVisible[3] = -1;
    r.LastTrack = -123456;
    r.LastPosition = 98.765;
    r.EqGains[3] = -0.5f;
    r.StartCount = 41;
    r.HotKeyShowMe = {};
    for (int i = 0; i < DynPlaylistCount; ++i) {
        if (i == 5) continue;
        r.DynPlaylists[i] = {QStringLiteral("Liste %1 – Größe 日本").arg(i),
                             QStringLiteral("Artist = Björk\r\nYear > 19%1\r\nGenre = Pop").arg(i)};
    }
    return r;
}

TEST(Settings, EveryFieldInItsPlaceAndWidth)
{
    const std::string want =
        "\x01\x01" "\x02\x02" "\x03\x03"                       // fields 1-3
        "\x03\x00" "t04"s +                                    // 4: LibraryFolders
        "\x05\x05" "\x06\x06" "\x07\x07"                       // 5-7
        "\x08\x08\x08\x08"                                     // 8: LastTrack
        "\x00\x00\x00\x00\x00\x00\x23\x40"                     // 9: LastPosition 9.5
        "\x0A\x0A\x0A\x0A"                                     // 10: SavedVolume
        "\x0B\x0B\x0C\x0C\x0D\x0D\x0E\x0E\x0F\x0F\x10\x10"    // 11-16
        "\x11\x11\x12\x12\x13\x13\x14\x14\x15\x15\x16\x16"    // 17-22, MainWidth then MainHeight
        "\x00\x17\x01\x17\x02\x17\x03\x17\x04\x17\x05\x17\x06\x17\x07\x17"  // 23: ColumnVisible
        "\x08\x17\x09\x17\x0A\x17\x0B\x17\x0C\x17\x0D\x17\x0E\x17\x0F\x17"
        "\x18\x18"s +                                          // 24
        "\x03\x00" "t25" "\x03\x00" "t26" "\x03\x00" "t27" "\x03\x00" "t28"  // 25-31: hot keys
        "\x03\x00" "t29" "\x03\x00" "t30" "\x03\x00" "t31"
        "\x20\x20\x20\x20" "\x21\x21\x21\x21" "\x22\x22"s +    // 32-34
        "\x03\x00" "n00" "\x03\x00" "q00" "\x03\x00" "n01" "\x03\x00" "q01"s +  // 35: slots 0, 1
        std::string(2 * 2 * 17, '\0') +                        //     slots 2..18 empty
        "\x03\x00" "n19" "\x03\x00" "q19"                      //     slot 19
        "\x24\x24\x25\x25"                                     // 36-37
        "\x00\x00\x00\x26\x01\x00\x00\x26\x02\x00\x00\x26\x03\x00\x00\x26"  // 38: EqGains
        "\x04\x00\x00\x26\x05\x00\x00\x26\x06\x00\x00\x26\x07\x00\x00\x26"
        "\x08\x00\x00\x26\x09\x00\x00\x26\x0A\x00\x00\x26\x0B\x00\x00\x26"
        "\x0C\x00\x00\x26\x0D\x00\x00\x26\x0E\x00\x00\x26\x0F\x00\x00\x26"
        "\x10\x00\x00\x26"
        "\x27\x27\x28\x28\x29\x29\x2A\x2A"                     // 39-42
        "\x2B\x2B\x2B\x2B"                                     // 43: CrossfadeTime
        "\x2C\x2C\x2D\x2D"s;                                   // 44-45
    ASSERT_EQ(want.size(), 280u + 14 * 3);  // fourteen texts of three bytes
    EXPECT_EQ(SettingsToBytes(NumberedRecord()).toStdString(), want);
    SettingsRecord back;
    SettingsFromBytes(QByteArray::fromStdString(want), back);
    EXPECT_EQ(back, NumberedRecord());
}

TEST_F(SettingsFile, SaveAndLoadGiveBackEveryField)
{
    SettingsRecord big = FullRecord();
    for (auto& p : big.DynPlaylists) p.Query = QString(600, u'ü');  // over the record length: written whole
    for (const SettingsRecord& full : {FullRecord(), big}) {
        Settings = full;
        ASSERT_TRUE(SaveSettings());
        EXPECT_EQ(QFile(HomeFile("Settings.ini")).size(), std::max(qsizetype(10000), SettingsToBytes(full).size()));
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
TEST_F(SettingsFile, EveryTruncationOfARealFileLoadsAPrefix)
{
    Settings = FullRecord();
    ASSERT_TRUE(SaveSettings());
    QFile file(HomeFile("Settings.ini"));
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
        QFile cut(HomeFile("Settings.ini"));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(bytes.left(length));
        cut.close();
        Settings = SettingsRecord{};
        LoadSettings();
        EXPECT_EQ(std::tuple(Settings.StartCount, Settings.SpectrumInMini), std::tuple(length ? 41 : 0, 0)) << length;
    }
}

TEST_F(SettingsFile, FailedSaveReportsFailureAndKeepsNothingHalfWritten)
{
    // A directory in the file's place makes the final rename fail, also as root.
    ASSERT_TRUE(QDir().mkpath(HomeFile("Settings.ini")));
    Settings = FullRecord();
    EXPECT_FALSE(SaveSettings());
    EXPECT_TRUE(QFileInfo(HomeFile("Settings.ini")).isDir());
}

TEST_F(SettingsFile, ResetLoadsEveryDefaultAndLeavesTheRestAlone)
{
    const auto key = [](int n) { return QStringLiteral("17 + 18 + %1 + 162 + 164").arg(n); };
    SettingsRecord want = NumberedRecord();  // what is not a default stays
    SettingsRecord& w = want;
    std::tie(w.AutoSyncEnabled, w.SyncOnStart, w.SyncOnWindowsStart, w.SyncIntervalDays, w.SyncOnlyNewTags,
             w.SyncPeriodic, w.LastTrack, w.LastPosition, w.SavedVolume, w.Shuffle, w.IntroMode, w.LastPaused,
             w.MinimizeToTray, w.CloseToTray, w.RunAtStartup, w.MainWindowState, w.MainLeft, w.MainTop, w.MainWidth,
             w.MainHeight, w.HotKeysEnabled, w.RepeatAll, w.RepeatTitle, w.ShowTrayBalloon, w.ShowMiniPlayer,
             w.CrossfaderEnabled, w.CrossfadeTime) =
        std::tuple(0, 0, 0, 2, 0, 0, -1, 0.0, 16384, -1, 0, 1, 0, -1, -1, 0, 4800, 2700, 19200, 10800, -1, -1, 0, 0,
                   -1, -1, 2);
    std::tie(w.HotKeyPause, w.HotKeyStop, w.HotKeyNext, w.HotKeyPrev, w.HotKeyShowMe, w.HotKeyVolPlus,
             w.HotKeyVolMinus) = std::tuple(key(36), key(33), key(35), key(34), key(45), key(38), key(40));
    w.ColumnVisible.fill(-1);
    w.EqGains.fill(21.0f);
    Settings = NumberedRecord();
    ResetSettings(1920 * 15, 1080 * 15);
    EXPECT_EQ(SettingsToBytes(Settings).toStdString(), SettingsToBytes(want).toStdString());

    // An empty library folder is filled; large screens are bounded.
    Settings = SettingsRecord{};
    ResetSettings(60000, 90000);
    EXPECT_EQ(Settings.LibraryFolders, GetSpecialFolderPath(5));
    EXPECT_TRUE(QDir::isAbsolutePath(Settings.LibraryFolders));
    EXPECT_EQ(std::tuple(Settings.MainLeft, Settings.MainTop, Settings.MainWidth, Settings.MainHeight),
              std::tuple(10000, 15000, 32767, 32767));
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
