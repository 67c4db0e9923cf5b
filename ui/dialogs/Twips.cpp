#include "ui/dialogs/Twips.h"

#include <QGuiApplication>
#include <QScreen>

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect r(QPoint(), window.frameGeometry().size());
    r.moveCenter(screen->geometry().center());
    window.move(r.topLeft());
}
