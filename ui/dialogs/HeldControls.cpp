#include "ui/dialogs/HeldControls.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace {

// Set on the widget the focus waits on: the control it waits for.
constexpr char kFocusWaitsFor[] = "sarovinFocusWaitsFor";

} // namespace

void DisableHoldingFocus(QWidget* control, QWidget* heir)
{
    // The window's own focus, active or not: an inactive window hands it on too.
    if (QWidget* parent = control->parentWidget(); parent && control->window()->focusWidget() == control) {
        parent->setFocus(Qt::OtherFocusReason);
        parent->setProperty(kFocusWaitsFor, QVariant::fromValue(QPointer<QWidget>(heir ? heir : control)));
    }
    control->setEnabled(false);
}

void EnableHoldingFocus(QWidget* control)
{
    control->setEnabled(true);
    QWidget* waiting = control->window()->focusWidget();
    if (!waiting || waiting->property(kFocusWaitsFor).value<QPointer<QWidget>>() != control) return;
    waiting->setProperty(kFocusWaitsFor, QVariant());
    if (control->isVisible()) control->setFocus(Qt::OtherFocusReason);
}
