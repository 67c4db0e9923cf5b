#include "core/Busy.h"

#include "core/UiServices.h"

const QString IdleCaption = QStringLiteral("Sarovin");

namespace {

bool g_busy = false;

QString& Caption()
{
    static QString caption = IdleCaption;
    return caption;
}

HookList<const QString&>& Listeners()
{
    static HookList<const QString&> listeners;
    return listeners;
}

void Show(const QString& caption)
{
    Caption() = caption;
    Listeners().Call(caption);
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

Subscription SubscribeCaption(CaptionHook hook)
{
    return Listeners().Subscribe(std::move(hook));
}

std::size_t CaptionListenerCount()
{
    return Listeners().Size();
}

void ShowBusyMessage()
{
    MsgBox(QStringLiteral("Sarovin ist zur Zeit beschäftigt.\r\n"
                          "Der Vorgang kann zur Zeit nicht ausgeführt werden.\r\n"
                          "Bitte versuchen Sie es später nochmal."),
           48, QStringLiteral("Synchronisieren"));
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
