#include "ui/dialogs/ShowModeless.h"

#include "platform/WindowPlace.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// A window shown for the first time stands centred on its owner (on the
// screen without one); a window shown again where it was. Both inside the
// screen. A dialog not yet placed is left to Qt, which does the same.
void PlaceBeforeShow(QWidget& window)
{
    const bool placed = window.testAttribute(Qt::WA_Moved);
    if (!placed && qobject_cast<QDialog*>(&window)) return;
    QRect outer(window.pos(), OuterSize(window));
    if (!placed) {
        const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (owner && owner->isVisible()) outer.moveCenter(owner->frameGeometry().center());
        else if (screen) outer.moveCenter(screen->availableGeometry().center());
    }
    MoveInsideScreen(window, outer);
}

} // namespace

void ShowModeless(QWidget* window)
{
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    } else {
        PlaceBeforeShow(*window);
    }
    window->show();
}
