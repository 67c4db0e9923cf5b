#include "platform/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect MovedInside(QRect outer, const QRect& area)
{
    if (area.isEmpty()) return outer;
    outer.moveLeft(std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width())));
    outer.moveTop(std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height())));
    return outer;
}

QRect FittedInside(QRect outer, const QRect& area)
{
    if (area.isEmpty()) return outer;
    outer.setSize(outer.size().boundedTo(area.size()));
    return MovedInside(outer, area);
}

QRect InsideScreen(const QRect& outer, bool resizable)
{
    const QScreen* best = QGuiApplication::primaryScreen();
    qint64 most = 0;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect common = s->geometry().intersected(outer);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > most) most = area, best = s;
    }
    if (!best) return outer;
    return resizable ? FittedInside(outer, best->availableGeometry()) : MovedInside(outer, best->availableGeometry());
}

QSize OuterSize(const QWidget& window)
{
    const QSize frame = window.frameGeometry().size() - window.size();
    if (frame != QSize(0, 0) || window.windowFlags().testFlag(Qt::FramelessWindowHint)) return window.frameGeometry().size();
    const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    return owner ? window.size() + (owner->frameGeometry().size() - owner->size()) : window.size();
}

void MoveInsideScreen(QWidget& window, const QRect& outer)
{
    const QRect inside = InsideScreen(outer, window.minimumSize() != window.maximumSize());
    if (inside.size() != outer.size()) window.resize(window.size() - (outer.size() - inside.size()));
    window.move(inside.topLeft());
}
