// The settings record: every persistent option and the little state carried
// from one run to the next, kept in one record and stored whole in Settings.ini.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// A switch is a 16-bit value: -1 true, 0 false. Always test against -1.
using Switch = int16_t;
constexpr Switch SwitchOn = -1;
constexpr Switch SwitchOff = 0;
// The one test of a switch: on only at -1 (a stored 1 is off).
constexpr bool IsOn(Switch value) { return value == SwitchOn; }

constexpr int DynPlaylistCount = 20;
constexpr int ColumnVisibleCount = 16;
constexpr int EqGainCount = 17;

// One dynamic playlist; an empty Name marks a free slot. Query holds one
// criterion per line, lines joined by CR LF.
struct DynPlaylist {
    QString Name;
    QString Query;
    bool operator==(const DynPlaylist&) const = default;
};

// Field order is the file order (see SettingsToBytes).
struct SettingsRecord {
    Switch AutoSyncEnabled = 0;
    Switch SyncOnStart = 0;
    Switch SyncOnWindowsStart = 0;
    QString LibraryFolders;          // folders joined by CR
    int16_t SyncIntervalDays = 0;
    Switch SyncOnlyNewTags = 0;
    Switch SyncPeriodic = 0;
    int32_t LastTrack = 0;           // library index playing at the last exit, -1 none
    double LastPosition = 0;         // seconds
    int32_t SavedVolume = 0;         // 0..32768; clamp with ClampVolume where used
    Switch Shuffle = 0;
    Switch IntroMode = 0;
    int16_t LastPaused = 0;          // 0 or 1, not a switch
    Switch MinimizeToTray = 0;
    Switch CloseToTray = 0;
    Switch RunAtStartup = 0;
    Switch InTray = 0;
    int16_t MainWindowState = 0;
    int16_t MainLeft = 0;            // twips
    int16_t MainTop = 0;
    int16_t MainWidth = 0;
    int16_t MainHeight = 0;
    std::array<Switch, ColumnVisibleCount> ColumnVisible{};
    Switch HotKeysEnabled = 0;
    QString HotKeyPause;
    QString HotKeyStop;
    QString HotKeyNext;
    QString HotKeyPrev;
    QString HotKeyShowMe;
    QString HotKeyVolPlus;
    QString HotKeyVolMinus;
    int32_t StartCount = 0;          // 0 means first start
    int32_t CleanExitCount = 0;
    Switch CleanExit = 0;
    std::array<DynPlaylist, DynPlaylistCount> DynPlaylists{};
    Switch RepeatAll = 0;
    Switch RepeatTitle = 0;
    std::array<float, EqGainCount> EqGains{};  // slider positions 0..32, 0 = top
    Switch ShowTrayBalloon = 0;
    Switch ShowMiniPlayer = 0;
    int16_t Reserved = 0;            // unused; kept as read
    Switch CrossfaderEnabled = 0;
    int32_t CrossfadeTime = 0;       // whole seconds
    Switch SpectrumInMain = 0;
    Switch SpectrumInMini = 0;

    bool operator==(const SettingsRecord&) const = default;
};

// The one record of the program.
extern SettingsRecord Settings;

// The record's bytes as stored: fields in order, little-endian, no padding;
// a text is a 16-bit byte count and its UTF-8 bytes. A text over 65535 bytes
// is cut at a character boundary. With every text empty this is 280 bytes.
QByteArray SettingsToBytes(const SettingsRecord& record);
// Reads fields in order into the record, every text emptied first. Reading
// stops at the first field the data does not hold whole; that field and the
// ones after it keep their values.
void SettingsFromBytes(const QByteArray& data, SettingsRecord& record);

// Settings.ini in the data folder.
QString SettingsPath();
// Reads Settings.ini. A missing or unreadable file leaves the
// numbers as they are and the texts empty.
void LoadSettings();
// Writes the whole record through a temporary file; false when it could not
// be written (the old file is then unchanged), with the system's reason in
// *reason. Waits for a running periodic write first.
bool SaveSettings(QString* reason = nullptr);
// The file's bytes for a record: SettingsToBytes padded to the record length.
QByteArray SettingsFileBytes(const SettingsRecord& record);
// The defaults; the window place comes from the screen size in twips.
// InTray, StartCount, CleanExitCount, CleanExit, DynPlaylists, the spectrum
// switches, the reserved field and non-empty LibraryFolders are kept.
void ResetSettings(double screenWidthTwips, double screenHeightTwips);

// The main window's place after a reset (twips): the middle two thirds of the screen.
struct WindowPlace {
    int16_t Left = 0, Top = 0, Width = 0, Height = 0;
};
WindowPlace DefaultMainWindowPlace(double screenWidthTwips, double screenHeightTwips);

// File-system path of a shell special folder by its CSIDL number; only 5
// (the user's documents) is known here. "" when there is none.
QString GetSpecialFolderPath(int32_t csidl);

// Switch to check-box value: 1 for -1, 0 for anything else.
int16_t BoolToCheck(int16_t value);

// A stored volume bounded to the 0..32768 scale.
inline int32_t ClampVolume(int64_t volume)
{
    return static_cast<int32_t>(volume < 0 ? 0 : volume > 32768 ? 32768 : volume);
}
