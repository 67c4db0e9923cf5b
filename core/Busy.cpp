#include "core/Busy.h"

const QString IdleCaption = QStringLiteral("Sarovin");

namespace {

bool g_busy = false;

QString& Caption()
{
    static QString caption = IdleCaption;
    return caption;
}

CaptionHook& Hook()
{
    static CaptionHook hook;
    return hook;
}

void Show(const QString& caption)
{
    Caption() = caption;
    // A copy: the hook may replace itself.
    if (CaptionHook hook = Hook()) hook(caption);
}

} // namespace

bool IsBusy()
{
    return g_busy;
}

QString BusyCaption()
{
    return Caption();
}

void SetCaptionHook(CaptionHook hook)
{
    Hook() = std::move(hook);
}

BusyGuard::BusyGuard()
{
    if (g_busy) return;
    g_busy = true;
    acquired_ = true;
}

BusyGuard::~BusyGuard()
{
    if (!acquired_) return;
    g_busy = false;
    if (Caption() != IdleCaption) Show(IdleCaption);
}

void BusyGuard::SetCaption(const QString& caption)
{
    if (acquired_) Show(caption);
}
