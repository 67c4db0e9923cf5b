#include "core/HotKeys.h"

#include "core/Clock.h"
#include "core/VbHelpers.h"

#include <QStringList>
#include <algorithm>

namespace {

// How long a combination held on stays silent after it first acted.
constexpr double RepeatDelaySeconds = 0.5;

struct HotKeySlot {
    HotKeyAction action;
    QString SettingsRecord::*text;
};

constexpr HotKeySlot Slots[] = {
    {HotKeyAction::Pause, &SettingsRecord::HotKeyPause},
    {HotKeyAction::Stop, &SettingsRecord::HotKeyStop},
    {HotKeyAction::Next, &SettingsRecord::HotKeyNext},
    {HotKeyAction::Prev, &SettingsRecord::HotKeyPrev},
    {HotKeyAction::ShowMe, &SettingsRecord::HotKeyShowMe},
    {HotKeyAction::VolPlus, &SettingsRecord::HotKeyVolPlus},
    {HotKeyAction::VolMinus, &SettingsRecord::HotKeyVolMinus},
};

} // namespace

QString HotKeyText(std::vector<int> codes)
{
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    QStringList parts;
    for (int code : codes) parts << QString::number(code);
    return parts.join(QStringLiteral(" + "));
}

QString HotKeyCommand(HotKeyAction action)
{
    switch (action) {
    case HotKeyAction::Pause: return QStringLiteral("Audio:Pause");
    case HotKeyAction::Stop: return QStringLiteral("Audio:Stop");
    case HotKeyAction::Next: return QStringLiteral("Audio:Next");
    case HotKeyAction::Prev: return QStringLiteral("Audio:Prev");
    default: return {};
    }
}

int32_t HotKeyVolume(HotKeyAction action, double volume)
{
    const double step = action == HotKeyAction::VolPlus ? 1000 : action == HotKeyAction::VolMinus ? -1000 : 0;
    return RoundToInt32(volume + step);
}

std::vector<HotKeyAction> HotKeyPoll::Tick(const QString& combo, const SettingsRecord& settings)
{
    const double now = MonotonicSeconds();
    std::vector<HotKeyAction> actions;
    const bool guarded = combo == lastCombo && lastChange + RepeatDelaySeconds > now;
    if (!combo.isEmpty() && !guarded) {
        for (const HotKeySlot& slot : Slots)
            if (settings.*slot.text == combo) actions.push_back(slot.action);
    }
    if (combo != lastCombo) {
        lastChange = now;
        lastCombo = combo;
    }
    return actions;
}
