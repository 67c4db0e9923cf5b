// The five category frames shared by the options page and the options
// window, and the conversions between their controls and the settings record.
#pragma once

#include "core/Settings.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QFont;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

constexpr int HotKeyCount = 7;
extern const QString NoHotKeyText;  // "(kein HotKey festgelegt)"

// The record's hot-key fields by button index.
extern const std::array<QString SettingsRecord::*, HotKeyCount> HotKeyFields;

// The category tree: key, text, parent key ("" for a root), in fill order.
struct OptionsNode {
    const char* key;
    QString text;
    const char* parent;
};
const std::vector<OptionsNode>& OptionsTreeNodes();

struct OptionsControls {
    std::vector<std::pair<QString, QFrame*>> frames;  // category key, frame
    QListWidget* AudioDBDirectorys = nullptr;
    QPushButton* Command4 = nullptr;  // add folder
    QPushButton* Command5 = nullptr;  // remove folder
    QLineEdit* AudioDBsyncAutoTXT = nullptr;
    QLineEdit* CrossfaderTime = nullptr;
    std::vector<std::pair<Switch SettingsRecord::*, QCheckBox*>> checks;
    std::array<QLabel*, HotKeyCount> hotKeyLabels{};
    std::array<QPushButton*, HotKeyCount> cmdChangeHotK{};
};

// Builds the frames as children of parent, their top left corner at (left,
// top) twips, each named prefix + category key, its title in the property
// "Tag". All start hidden.
OptionsControls BuildOptionFrames(QWidget* parent, const QString& prefix, int left, int top);

// The title line's font over the frames.
QFont OptionsTitleFont();

// Check box and switch: shown 1 for -1 and 0 otherwise; stored -1 unless 0.
bool CheckedForSwitch(Switch value);
Switch SwitchForChecked(bool checked);
// The days box: the whole part of the leading number; nothing when it does
// not fit the 16-bit field.
std::optional<int16_t> DaysFromText(const QString& text);
// The crossfade box: the leading number rounded half to even; nothing when it
// does not fit the 32-bit field.
std::optional<int32_t> CrossfadeFromText(const QString& text);
// A hot-key field as its label shows it, and back.
QString HotKeyLabelText(const QString& field);
QString HotKeyFromLabel(const QString& label);
// The entries of the folder list: the non-empty parts between CRs, in order.
QStringList FolderEntries(const QString& libraryFolders);
// Whether the folders the list would store differ from the stored ones, part
// by part, empty parts left out.
bool FoldersChanged(const QString& joined, const QString& stored);
