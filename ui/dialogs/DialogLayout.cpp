#include "ui/dialogs/DialogLayout.h"

#include "platform/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect r(QPoint(), OuterSize(window));
    r.moveCenter(screen->geometry().center());
    MoveInsideScreen(window, r);
}

void SetBackground(QWidget& w, const QColor& colour)
{
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::WindowText, Qt::black);
    w.setPalette(pal);
    w.setAutoFillBackground(true);
}
