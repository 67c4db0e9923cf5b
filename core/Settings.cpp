#include "core/Settings.h"

#include "core/PeriodicSave.h"
#include "core/Runtime.h"
#include "core/VbHelpers.h"
#include "core/WholeFile.h"

#include <QFile>
#include <QStandardPaths>
#include <QtEndian>

SettingsRecord Settings;

namespace {

// The file is a fixed-length record file; a longer record is still written whole.
constexpr qsizetype RecordLength = 10000;
constexpr qsizetype MaxTextBytes = 0xFFFF;
// 48 text items at their longest plus the numbers: nothing past this is read.
constexpr qsizetype MaxRecordBytes = 280 + 48 * MaxTextBytes;

class RecordWriter {
public:
    template <typename T>
    void Number(T value)
    {
        char bytes[sizeof(T)];
        qToLittleEndian(value, bytes);
        out.append(bytes, sizeof(T));
    }

    void Text(const QString& text)
    {
        QByteArray utf8 = text.toUtf8();
        if (utf8.size() > MaxTextBytes) {
            // Cut before a continuation byte so the count cannot wrap and the
            // text stays valid UTF-8.
            qsizetype n = MaxTextBytes;
            while (n > 0 && (static_cast<uint8_t>(utf8[n]) & 0xC0) == 0x80) --n;
            utf8.truncate(n);
        }
        Number(static_cast<uint16_t>(utf8.size()));
        out.append(utf8);
    }

    QByteArray out;
};

// Every read checks its bounds; after the first short field nothing more is read.
class RecordReader {
public:
    explicit RecordReader(const QByteArray& data) : data(data) {}

    template <typename T>
    void Number(T& value)
    {
        if (!Has(sizeof(T))) return;
        value = qFromLittleEndian<T>(data.constData() + pos);
        pos += sizeof(T);
    }

    void Text(QString& text)
    {
        if (!Has(2)) return;
        const uint16_t n = qFromLittleEndian<uint16_t>(data.constData() + pos);
        if (!Has(2 + qsizetype(n))) return;
        text = QString::fromUtf8(data.constData() + pos + 2, n);
        pos += 2 + n;
    }

private:
    bool Has(qsizetype n)
    {
        if (stopped || data.size() - pos < n) stopped = true;
        return !stopped;
    }

    const QByteArray& data;
    qsizetype pos = 0;
    bool stopped = false;
};

// One field list for both directions, so reading and writing cannot drift apart.
template <typename IO, typename Record>
void Transfer(IO& io, Record& r)
{
    io.Number(r.AutoSyncEnabled);
    io.Number(r.SyncOnStart);
    io.Number(r.SyncOnWindowsStart);
    io.Text(r.LibraryFolders);
    io.Number(r.SyncIntervalDays);
    io.Number(r.SyncOnlyNewTags);
    io.Number(r.SyncPeriodic);
    io.Number(r.LastTrack);
    io.Number(r.LastPosition);
    io.Number(r.SavedVolume);
    io.Number(r.Shuffle);
    io.Number(r.IntroMode);
    io.Number(r.LastPaused);
    io.Number(r.MinimizeToTray);
    io.Number(r.CloseToTray);
    io.Number(r.RunAtStartup);
    io.Number(r.InTray);
    io.Number(r.MainWindowState);
    io.Number(r.MainLeft);
    io.Number(r.MainTop);
    io.Number(r.MainWidth);
    io.Number(r.MainHeight);
    for (auto& v : r.ColumnVisible) io.Number(v);
    io.Number(r.HotKeysEnabled);
    io.Text(r.HotKeyPause);
    io.Text(r.HotKeyStop);
    io.Text(r.HotKeyNext);
    io.Text(r.HotKeyPrev);
    io.Text(r.HotKeyShowMe);
    io.Text(r.HotKeyVolPlus);
    io.Text(r.HotKeyVolMinus);
    io.Number(r.StartCount);
    io.Number(r.CleanExitCount);
    io.Number(r.CleanExit);
    for (auto& p : r.DynPlaylists) {
        io.Text(p.Name);
        io.Text(p.Query);
    }
    io.Number(r.RepeatAll);
    io.Number(r.RepeatTitle);
    for (auto& g : r.EqGains) io.Number(g);
    io.Number(r.ShowTrayBalloon);
    io.Number(r.ShowMiniPlayer);
    io.Number(r.Reserved);
    io.Number(r.CrossfaderEnabled);
    io.Number(r.CrossfadeTime);
    io.Number(r.SpectrumInMain);
    io.Number(r.SpectrumInMini);
}

int16_t WindowTwips(double twips)
{
    const double v = VbInt(twips);
    if (!(v > 0)) return 0;
    return static_cast<int16_t>(v > 32767 ? 32767 : v);
}

} // namespace

QString SettingsPath()
{
    return DataFile(QStringLiteral("Settings.ini"));
}

QByteArray SettingsToBytes(const SettingsRecord& record)
{
    RecordWriter writer;
    Transfer(writer, record);
    return writer.out;
}

void SettingsFromBytes(const QByteArray& data, SettingsRecord& record)
{
    record.LibraryFolders.clear();
    record.HotKeyPause.clear();
    record.HotKeyStop.clear();
    record.HotKeyNext.clear();
    record.HotKeyPrev.clear();
    record.HotKeyShowMe.clear();
    record.HotKeyVolPlus.clear();
    record.HotKeyVolMinus.clear();
    for (auto& p : record.DynPlaylists) p = DynPlaylist{};
    RecordReader reader(data);
    Transfer(reader, record);
}

void LoadSettings()
{
    QFile file(SettingsPath());
    QByteArray data;
    if (file.open(QIODevice::ReadOnly)) data = file.read(MaxRecordBytes);
    SettingsFromBytes(data, Settings);
}

QByteArray SettingsFileBytes(const SettingsRecord& record)
{
    QByteArray data = SettingsToBytes(record);
    if (data.size() < RecordLength) data.append(RecordLength - data.size(), '\0');
    return data;
}

bool SaveSettings(QString* reason)
{
    WaitForPeriodicWrite();
    const QString failure = WriteWholeFile(SettingsPath(), SettingsFileBytes(Settings));
    if (reason) *reason = failure;
    if (!failure.isEmpty()) return false;
    NoteFilesSaved(SavedSettingsIni);
    return true;
}

WindowPlace DefaultMainWindowPlace(double screenWidthTwips, double screenHeightTwips)
{
    return {WindowTwips(screenWidthTwips / 6), WindowTwips(screenHeightTwips / 6),
            WindowTwips(screenWidthTwips / 3 * 2), WindowTwips(screenHeightTwips / 3 * 2)};
}

void ResetSettings(double screenWidthTwips, double screenHeightTwips)
{
    SettingsRecord& s = Settings;
    s.EqGains.fill(21.0f);
    s.IntroMode = SwitchOff;
    s.LastPaused = 1;
    s.RepeatAll = SwitchOn;
    s.RepeatTitle = SwitchOff;
    s.LastPosition = 0;
    s.ShowMiniPlayer = SwitchOn;
    s.ShowTrayBalloon = SwitchOff;
    s.Shuffle = SwitchOn;
    s.LastTrack = -1;
    s.SavedVolume = 16384;
    if (s.LibraryFolders.isEmpty()) s.LibraryFolders = Trim(GetSpecialFolderPath(5));
    s.AutoSyncEnabled = SwitchOff;
    s.SyncOnStart = SwitchOff;
    s.SyncOnWindowsStart = SwitchOff;
    s.SyncIntervalDays = 2;
    s.SyncPeriodic = SwitchOff;
    s.SyncOnlyNewTags = SwitchOff;
    s.HotKeysEnabled = SwitchOn;
    s.HotKeyPause = QStringLiteral("17 + 18 + 36 + 162 + 164");
    s.HotKeyStop = QStringLiteral("17 + 18 + 33 + 162 + 164");
    s.HotKeyNext = QStringLiteral("17 + 18 + 35 + 162 + 164");
    s.HotKeyPrev = QStringLiteral("17 + 18 + 34 + 162 + 164");
    s.HotKeyShowMe = QStringLiteral("17 + 18 + 45 + 162 + 164");
    s.HotKeyVolPlus = QStringLiteral("17 + 18 + 38 + 162 + 164");
    s.HotKeyVolMinus = QStringLiteral("17 + 18 + 40 + 162 + 164");
    s.CloseToTray = SwitchOn;
    s.ColumnVisible.fill(SwitchOn);
    s.MinimizeToTray = SwitchOff;
    s.RunAtStartup = SwitchOn;
    const WindowPlace place = DefaultMainWindowPlace(screenWidthTwips, screenHeightTwips);
    s.MainHeight = place.Height;
    s.MainLeft = place.Left;
    s.MainWindowState = 0;
    s.MainTop = place.Top;
    s.MainWidth = place.Width;
    s.CrossfaderEnabled = SwitchOn;
    s.CrossfadeTime = 2;
}

QString GetSpecialFolderPath(int32_t csidl)
{
    if (csidl == 5) return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QString();
}

int16_t BoolToCheck(int16_t value)
{
    return IsOn(value) ? 1 : 0;
}
