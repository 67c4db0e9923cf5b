#include "ui/dialogs/OptionsFrames.h"

#include "core/VbHelpers.h"
#include "ui/dialogs/TwipsGeometry.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <cmath>
#include <limits>

const QString NoHotKeyText = QStringLiteral("(kein HotKey festgelegt)");

const std::array<QString SettingsRecord::*, HotKeyCount> HotKeyFields = {
    &SettingsRecord::HotKeyPause,  &SettingsRecord::HotKeyStop,    &SettingsRecord::HotKeyNext,
    &SettingsRecord::HotKeyPrev,   &SettingsRecord::HotKeyShowMe, &SettingsRecord::HotKeyVolPlus,
    &SettingsRecord::HotKeyVolMinus,
};

const std::vector<OptionsNode>& OptionsTreeNodes()
{
    static const std::vector<OptionsNode> nodes = {
        {"Interface", QStringLiteral("Bedienung"), ""},
        {"IntMisc", QStringLiteral("Allgemein"), "Interface"},
        {"IntHot", QStringLiteral("Hot-Keys"), "Interface"},
        {"IntDragDrop", QStringLiteral("Drag 'n' Drop"), "Interface"},
        {"Audio", QStringLiteral("Audio"), ""},
        {"AudioCrossfader", QStringLiteral("Crossfader"), "Audio"},
        {"AudioDB", QStringLiteral("Bibliothek"), "Audio"},
        {"AudioRecode", QStringLiteral("Recodieren"), "Audio"},
        {"Tag", QStringLiteral("Tags"), ""},
        {"TagAutoCap", QStringLiteral("Auto-Capitalize"), "Tag"},
        {"TagCleaning", QStringLiteral("Tag-Reinigung"), "Tag"},
        {"Playlists", QStringLiteral("Playlists"), ""},
        {"Misc", QStringLiteral("Verschiedenes"), ""},
        {"FileAssociation", QStringLiteral("Dateiassoziazion"), "Misc"},
    };
    return nodes;
}

namespace {

constexpr int kFrameWidth = 7215;
constexpr int kFrameHeight = 5775;
constexpr int kTextWidth = 6975;
constexpr int kCheckWidth = 6735;

QFrame* NewFrame(QWidget* parent, const QString& prefix, const char* key, const QString& tag, int left, int top,
                 OptionsControls& c)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(prefix + QLatin1String(key));
    frame->setProperty("Tag", tag);
    frame->setAutoFillBackground(true);
    PlaceTwips(frame, left, top, kFrameWidth, kFrameHeight);
    frame->hide();
    c.frames.emplace_back(QLatin1String(key), frame);
    return frame;
}

QLabel* Text(QWidget* frame, const QString& text, int left, int top, int width, int height, bool bold = false)
{
    auto* label = new QLabel(text, frame);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    PlaceTwips(label, left, top, width, height);
    return label;
}

QCheckBox* Check(QWidget* frame, OptionsControls& c, const char* name, const QString& caption,
                 Switch SettingsRecord::*field, int left, int top, bool bold = false)
{
    auto* box = new QCheckBox(caption, frame);
    box->setObjectName(QLatin1String(name));
    if (bold) {
        QFont f = box->font();
        f.setBold(true);
        box->setFont(f);
    }
    PlaceTwips(box, left, top, kCheckWidth + 120 - left, 285);
    c.checks.emplace_back(field, box);
    return box;
}

void BuildMain(QWidget* parent, const QString& prefix, int left, int top, OptionsControls& c)
{
    QFrame* f = NewFrame(parent, prefix, "Main", QStringLiteral("Sarovin Optionen"), left, top, c);
    Text(f,
         QStringLiteral("Sarovin ist anpassungsfähig. Da sich aufgrund der vielen Funktionen auch eine Menge "
                        "Einstellungsmöglichkeiten ergeben werden die Einstellungen in Kategorien eingeteilt."),
         120, 120, kTextWidth, 855);
    Text(f, QStringLiteral("Bitte wählen Sie links eine Kategorie"), 120, 2760, kTextWidth, 255)
        ->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void BuildIntMisc(QWidget* parent, const QString& prefix, int left, int top, OptionsControls& c)
{
    QFrame* f = NewFrame(parent, prefix, "IntMisc", QStringLiteral("Bedienung - Allgemein"), left, top, c);
    Text(f, QStringLiteral("Verhalten"), 120, 120, 3000, 255, true);
    Check(f, c, "IntMisc_Minimize_to_Tray", QStringLiteral("In den Systemtray minimieren"),
          &SettingsRecord::MinimizeToTray, 360, 420);
    Check(f, c, "IntMisc_Close_to_Tray", QStringLiteral("In den Systemtray schliessen"),
          &SettingsRecord::CloseToTray, 360, 720);
    Text(f, QStringLiteral("Autostart"), 120, 1200, 3000, 255, true);
    Check(f, c, "IntMisc_Run_at_Startup", QStringLiteral("Zusammen mit Windows starten"),
          &SettingsRecord::RunAtStartup, 360, 1500);
    Text(f, QStringLiteral("Informations-Anzeige"), 120, 1980, 3000, 255, true);
    Check(f, c, "Audio_ShowMiniPlayer", QStringLiteral("Miniplayer über Titelleiste einblenden"),
          &SettingsRecord::ShowMiniPlayer, 360, 2280);
    Check(f, c, "Audio_ShowTrayBaloon", QStringLiteral("Popup über Tray-Icon"), &SettingsRecord::ShowTrayBalloon,
          360, 2580);
    Text(f, QStringLiteral("Spectrum-Analyser"), 120, 3060, 3000, 255, true);
    Check(f, c, "IntMisc_SpectrumInMini", QStringLiteral("In Miniplayer-Anzeigen"), &SettingsRecord::SpectrumInMini,
          360, 3360);
    Check(f, c, "IntMisc_SpectrumInMain", QStringLiteral("Im Hauptfenster anzeigen"),
          &SettingsRecord::SpectrumInMain, 360, 3660);
}

void BuildIntHot(QWidget* parent, const QString& prefix, int left, int top, OptionsControls& c)
{
    QFrame* f =
        NewFrame(parent, prefix, "IntHot", QStringLiteral("Bedienung - Hot-Keys (Tastenkombinationen)"), left, top, c);
    Text(f,
         QStringLiteral("Aktivieren Sie dieses Kontrollkästchen wenn sie die Tastenkombinationen auch dann nützen "
                        "wollen wenn Sarovin nicht das aktive Fenster ist."),
         120, 120, kTextWidth, 435);
    Check(f, c, "IntHotKEnable", QStringLiteral("Hot-Keys global aktivieren"), &SettingsRecord::HotKeysEnabled, 360,
          600);
    Text(f,
         QStringLiteral("Hier können Sie eine Auflistung der verfügbaren Hot-Keys sehen. Um eine Tastenkombination "
                        "zu ändern, klicken Sie auf die dazugehörige Schaltfläche mit der Aufschrift 'ändern'."),
         120, 1080, kTextWidth, 855);
    static const struct {
        QString name;
        const char* label;
    } rows[HotKeyCount] = {
        {QStringLiteral("Pause/Resume"), "IntHotK_Pause"},     {QStringLiteral("Stop"), "IntHotK_Stop"},
        {QStringLiteral("Nächster Titel"), "IntHotK_Next"},   {QStringLiteral("Vorheriger Titel"), "IntHotK_Prev"},
        {QStringLiteral("Sarovin anzeigen"), "IntHotK_ShowMe"}, {QStringLiteral("Volume +"), "IntHotK_VolPlus"},
        {QStringLiteral("Volume -"), "IntHotK_VolMinus"},
    };
    for (int i = 0; i < HotKeyCount; ++i) {
        const int y = 2160 + 360 * i;
        Text(f, rows[i].name, 600, y + 30, 1545, 255)->setWordWrap(false);
        QLabel* label = Text(f, QString(), 2160, y + 30, 2775, 255);
        label->setObjectName(QLatin1String(rows[i].label));
        label->setWordWrap(false);
        c.hotKeyLabels[i] = label;
        c.cmdChangeHotK[i] = PlaceButton(f, QStringLiteral("ändern"), "", 5040, y, 1095, 315);
        c.cmdChangeHotK[i]->setObjectName(QStringLiteral("cmdChangeHotK_%1").arg(i));
    }
}

void BuildAudioDB(QWidget* parent, const QString& prefix, int left, int top, OptionsControls& c)
{
    QFrame* f = NewFrame(parent, prefix, "AudioDB", QStringLiteral("Audio - Bibliothek"), left, top, c);
    Text(f,
         QStringLiteral("Geben Sie hier an welche Pfade Sarovin durchsuchen soll wenn die Bibliothek synchronisiert "
                        "wird."),
         120, 120, kTextWidth, 435);
    c.AudioDBDirectorys = new QListWidget(f);
    c.AudioDBDirectorys->setObjectName(QStringLiteral("AudioDBDirectorys"));
    PlaceTwips(c.AudioDBDirectorys, 120, 600, 5295, 1815);
    c.Command5 = PlaceButton(f, QStringLiteral("&Entfernen"), "Command5", 5520, 600, 1455, 375);
    c.Command4 = PlaceButton(f, QStringLiteral("&Hinzufügen"), "Command4", 5520, 1080, 1455, 375);
    Text(f,
         QStringLiteral("Wenn Sie die Auto-Synchronisation aktivieren, wird ihr Computer in regelmässig auf "
                        "Audio-Dateien durchsucht."),
         120, 2520, kTextWidth, 435);
    Check(f, c, "AudioDBenableAutoSync", QStringLiteral("Auto-Synchronisation aktivieren"),
          &SettingsRecord::AutoSyncEnabled, 120, 3060, true);
    Check(f, c, "AudioDBsyncwhenStart", QStringLiteral("Synchronisieren wenn Sarovin gestartet wird (nicht empfohlen)"),
          &SettingsRecord::SyncOnStart, 360, 3420);
    Check(f, c, "AudioDBsyncwhenWinStart", QStringLiteral("Synchronisieren wenn Windows gestartet wird"),
          &SettingsRecord::SyncOnWindowsStart, 360, 3780);
    QCheckBox* periodic =
        Check(f, c, "AudioDBsyncAutoCHK", QStringLiteral("Alle           Tage automatisch Synchronisieren"),
              &SettingsRecord::SyncPeriodic, 360, 4140);
    Check(f, c, "AudioDBsyncOnlyNew",
          QStringLiteral("Bei Synchronisation nur Tags von neuen Dateien laden (empfohlen)"),
          &SettingsRecord::SyncOnlyNewTags, 360, 4500);

    // The days box sits in the blanks of the caption.
    c.AudioDBsyncAutoTXT = new QLineEdit(f);
    c.AudioDBsyncAutoTXT->setObjectName(QStringLiteral("AudioDBsyncAutoTXT"));
    c.AudioDBsyncAutoTXT->setAlignment(Qt::AlignRight);
    const QFontMetrics fm(periodic->font());
    const QStyle* style = periodic->style();
    const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, periodic) +
                          style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, periodic);
    const int gapLeft = periodic->x() + indicator + fm.horizontalAdvance(QStringLiteral("Alle "));
    const int gapWidth = fm.horizontalAdvance(QStringLiteral("         "));
    const int height = periodic->height() + 2;
    c.AudioDBsyncAutoTXT->setGeometry(gapLeft, periodic->y() - 1, gapWidth, height);
    c.AudioDBsyncAutoTXT->raise();
}

void BuildAudioCrossfader(QWidget* parent, const QString& prefix, int left, int top, OptionsControls& c)
{
    QFrame* f = NewFrame(parent, prefix, "AudioCrossfader", QStringLiteral("Audio - Crossfader"), left, top, c);
    Text(f,
         QStringLiteral("Der Crossfader ist ein Programm welches zwei Titel ineinander verschmelzen lässt. Dabei kann "
                        "eingestellt werden, wie lange diese Überblendephase dauern soll."),
         120, 120, kTextWidth, 615);
    Check(f, c, "Crossfader_Enable", QStringLiteral("Crossfader einschalten"), &SettingsRecord::CrossfaderEnabled,
          360, 960, true);
    Text(f, QStringLiteral("Überblende-Zeit (Standard: 5s)"), 360, 1470, 2580, 255)->setWordWrap(false);
    c.CrossfaderTime = new QLineEdit(f);
    c.CrossfaderTime->setObjectName(QStringLiteral("CrossfaderTime"));
    PlaceTwips(c.CrossfaderTime, 3000, 1410, 735, 315);
}

template <typename T>
std::optional<T> Fit(double value)
{
    if (!(value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max())) return std::nullopt;
    return static_cast<T>(value);
}

} // namespace

OptionsControls BuildOptionFrames(QWidget* parent, const QString& prefix, int left, int top)
{
    OptionsControls c;
    BuildMain(parent, prefix, left, top, c);
    BuildIntMisc(parent, prefix, left, top, c);
    BuildIntHot(parent, prefix, left, top, c);
    BuildAudioDB(parent, prefix, left, top, c);
    BuildAudioCrossfader(parent, prefix, left, top, c);
    return c;
}

QFont OptionsTitleFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(12);
    font.setBold(true);
    return font;
}

bool CheckedForSwitch(Switch value)
{
    return BoolToCheck(value) != 0;
}

Switch SwitchForChecked(bool checked)
{
    return checked ? SwitchOn : SwitchOff;
}

std::optional<int16_t> DaysFromText(const QString& text)
{
    return Fit<int16_t>(VbInt(Val(text)));
}

std::optional<int32_t> CrossfadeFromText(const QString& text)
{
    return Fit<int32_t>(RoundHalfEven(Val(text)));
}

QString HotKeyLabelText(const QString& field)
{
    return field.isEmpty() ? NoHotKeyText : field;
}

QString HotKeyFromLabel(const QString& label)
{
    return label == NoHotKeyText ? QString() : label;
}

QStringList FolderEntries(const QString& libraryFolders)
{
    return libraryFolders.split(u'\r', Qt::SkipEmptyParts);
}

bool FoldersChanged(const QString& joined, const QString& stored)
{
    return FolderEntries(joined) != FolderEntries(stored);
}
