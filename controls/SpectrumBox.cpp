#include "controls/SpectrumBox.h"

#include <QEvent>
#include <QPainter>

#include <cmath>

SpectrumBox::SpectrumBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpectrumBox::SetColors(const QColor& back, const QColor& bar)
{
    if (back == back_ && bar == bar_) return;
    back_ = back;
    bar_ = bar;
    update();
}

void SpectrumBox::SetBarWidth(int pixels)
{
    if (pixels == barWidth_) return;
    barWidth_ = pixels;
    update();
}

void SpectrumBox::SetHeights(const QVector<float>& heights)
{
    if (heights == heights_) return;
    heights_ = heights;
    update();
}

void SpectrumBox::FillParent()
{
    QWidget* parent = parentWidget();
    if (!parent) return;
    setGeometry(parent->rect());
    lower();
    parent->installEventFilter(this);
}

bool SpectrumBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void SpectrumBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), back_);
    const qsizetype n = heights_.size();
    if (n == 0) return;
    const double w = width(), h = height();
    for (qsizetype i = 0; i < n; ++i) {
        const double bar = std::round(h * double(heights_[i]));
        if (bar <= 0) continue;
        const double x = (double(i) + 0.5) * w / double(n);
        const int left = int(std::floor(x - barWidth_ / 2.0 + 0.5));
        p.fillRect(QRect(left, int(h - bar), barWidth_, int(bar)), bar_);
    }
}
