#include "controls/SpectrumBox.h"

#include <QChildEvent>
#include <QEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

SpectrumBox::SpectrumBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    frame_.setSingleShot(true);
    connect(&frame_, &QTimer::timeout, this, [this] { ShowFrame(); });
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
    if (frame_.isActive()) return;
    // No more often than the screen shows a picture.
    const QScreen* s = screen();
    const double rate = s && s->refreshRate() >= 1 ? s->refreshRate() : 60.0;
    frame_.start(std::clamp(int(1000.0 / rate), 1, 100));
}

SpectrumBox::Bar SpectrumBox::BarOf(const QVector<float>& heights, qsizetype i) const
{
    const double w = width(), h = height();
    const double x = (double(i) + 0.5) * w / double(heights.size());
    const double bar = std::round(h * double(heights[i]));
    return {int(std::floor(x - barWidth_ / 2.0 + 0.5)), bar > 0 ? int(h - bar) : height()};
}

QRegion SpectrumBox::ShowFrame()
{
    frame_.stop();
    RefreshLabelPictures();
    QRegion changed;
    if (shown_.size() != heights_.size()) {
        changed = rect();
    } else {
        // Only the stretch between the old and the new top of a bar changes. A
        // region of hundreds of slivers costs more to build and clip than it
        // saves, so the stretches are joined per column of kColumn pixels.
        const int columns = width() / kColumn + 1;
        QVarLengthArray<std::pair<int, int>, 64> spans(columns, {height(), 0});  // top, bottom
        for (qsizetype i = 0; i < heights_.size(); ++i) {
            const Bar was = BarOf(shown_, i), now = BarOf(heights_, i);
            if (was.top == now.top) continue;
            const int top = std::min(was.top, now.top), bottom = std::max(was.top, now.top);
            const int first = std::clamp(now.left / kColumn, 0, columns - 1);
            const int last = std::clamp((now.left + barWidth_ - 1) / kColumn, 0, columns - 1);
            for (int c = first; c <= last; ++c) {
                spans[c].first = std::min(spans[c].first, top);
                spans[c].second = std::max(spans[c].second, bottom);
            }
        }
        for (int c = 0; c < columns; ++c)
            if (spans[c].first < spans[c].second)
                changed += QRect(c * kColumn, spans[c].first, kColumn, spans[c].second - spans[c].first);
    }
    shown_ = heights_;
    if (!changed.isEmpty()) update(changed);
    return changed;
}

void SpectrumBox::FillParent()
{
    QWidget* parent = parentWidget();
    if (!parent) return;
    setGeometry(parent->rect());
    lower();
    parent->installEventFilter(this);
    for (QObject* sibling : parent->children()) WatchLabel(sibling);
}

bool SpectrumBox::event(QEvent* event)
{
    if (event->type() == QEvent::ChildPolished) WatchLabel(static_cast<QChildEvent*>(event)->child());
    return QWidget::event(event);
}

void SpectrumBox::WatchLabel(QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (!label) return;
    const auto found = labels_.constFind(label);
    if (found != labels_.constEnd() && found->label) return;
    labels_.insert(label, {label, {}, {}});
    label->installEventFilter(this);
}

bool SpectrumBox::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* parent = parentWidget();
    if (watched == parent && event->type() == QEvent::Resize) setGeometry(parent->rect());
    if (watched == parent && event->type() == QEvent::ChildPolished)
        WatchLabel(static_cast<QChildEvent*>(event)->child());
    if (event->type() == QEvent::Paint && !renderingLabel_) {
        const auto found = labels_.constFind(watched);
        if (found != labels_.constEnd() && PaintLabel(*found)) return true;
    }
    return QWidget::eventFilter(watched, event);
}

SpectrumBox::LabelLooks SpectrumBox::LooksOf(const QLabel* label)
{
    return {label->text(), label->font(), label->styleSheet(), label->size(), label->palette().cacheKey(),
            int(label->alignment()), label->margin(), label->devicePixelRatioF(), label->isEnabled(), label->wordWrap()};
}

// A widget cannot be rendered while it paints, so the pictures are made here,
// before a frame; a label changed since paints itself as usual until then.
void SpectrumBox::RefreshLabelPictures()
{
    labels_.removeIf([](const auto& entry) { return entry.value().label.isNull(); });
    for (LabelPicture& cached : labels_) {
        QLabel* label = cached.label;
        if (!label->isVisible() || label->size().isEmpty() || !label->pixmap().isNull() || label->movie())
            continue;  // shown text labels only
        LabelLooks looks = LooksOf(label);
        if (!cached.picture.isNull() && looks == cached.looks) continue;
        const qreal ratio = label->devicePixelRatioF();
        QPixmap picture(label->size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        renderingLabel_ = true;
        label->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
        renderingLabel_ = false;
        cached.looks = std::move(looks);
        cached.picture = picture;
    }
}

bool SpectrumBox::PaintLabel(const LabelPicture& cached)
{
    if (!cached.label || cached.picture.isNull() || !(LooksOf(cached.label) == cached.looks)) return false;
    QPainter p(cached.label);
    p.drawPixmap(0, 0, cached.picture);
    return true;
}

void SpectrumBox::paintEvent(QPaintEvent* event)
{
    // A paint of the whole box (shown, resized, grabbed) may as well bring it up to date.
    if (event->region().rectCount() == 1 && event->rect() == rect() && shown_ != heights_) {
        frame_.stop();
        shown_ = heights_;
    }
    QPainter p(this);
    for (const QRect& r : event->region()) p.fillRect(r, back_);
    const QRect area = event->rect();
    for (qsizetype i = 0; i < shown_.size(); ++i) {
        const Bar b = BarOf(shown_, i);
        if (b.top >= height() || b.left >= area.right() + 1 || b.left + barWidth_ <= area.left()) continue;
        p.fillRect(QRect(b.left, b.top, barWidth_, height() - b.top), bar_);
    }
}
