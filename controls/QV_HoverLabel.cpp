#include "controls/QV_HoverLabel.h"

#include "controls/SymbolGlyphs.h"
#include "controls/VbKeys.h"
#include "controls/WinColor.h"
#include "core/Units.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// DejaVu has no media-control glyphs; Symbola has all of the map's symbols.
const QString kGlyphFamily = QStringLiteral("Symbola");

} // namespace

QV_HoverLabel::QV_HoverLabel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_Hover);
    SetCaptionFont(QStringLiteral("MS Sans Serif"), 8.25);
}

void QV_HoverLabel::SetCaption(const QString& caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    update();
}

void QV_HoverLabel::SetBackColor(uint32_t color)
{
    backColor_ = color;
    repaint();
}

void QV_HoverLabel::SetHoverColor(uint32_t color)
{
    hoverColor_ = color;
    update();
}

void QV_HoverLabel::SetForeColor(uint32_t color)
{
    foreColor_ = color;
    update();
}

void QV_HoverLabel::SetHoverForeColor(uint32_t color)
{
    hoverForeColor_ = color;
    update();
}

void QV_HoverLabel::SetBorderStyle(int style)
{
    borderStyle_ = style;
    update();
}

void QV_HoverLabel::SetCaptionFont(const QString& family, double pointSize)
{
    family_ = family;
    drawFont_ = IsSymbolFont(family) ? QFont(kGlyphFamily) : font();
    drawFont_.setPointSizeF(pointSize);
    update();
}

QString QV_HoverLabel::DrawnText() const
{
    return SymbolGlyphText(family_, caption_);
}

void QV_HoverLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool hot = hover_ && !pressed_; // a press shows the colour its handler set
    p.fillRect(rect(), WinColorToQColor(hot ? hoverColor_ : backColor_));
    if (borderStyle_ == 1) {
        p.setPen(WinColorToQColor(0x80000008));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    p.setFont(drawFont_);
    p.setPen(WinColorToQColor(hot ? hoverForeColor_ : foreColor_));
    p.drawText(rect(), Qt::AlignCenter, DrawnText());
}

void QV_HoverLabel::enterEvent(QEnterEvent*)
{
    hover_ = true;
    update();
}

void QV_HoverLabel::leaveEvent(QEvent*)
{
    hover_ = false;
    update();
}

void QV_HoverLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    update();
    emit MouseDown(VbButton(event->button()), VbShiftMask(event->modifiers()),
                   PixelsToTwips(event->position().x(), logicalDpiX()),
                   PixelsToTwips(event->position().y(), logicalDpiY()));
}

void QV_HoverLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    update();
    emit MouseUp(VbButton(event->button()), VbShiftMask(event->modifiers()),
                 PixelsToTwips(event->position().x(), logicalDpiX()),
                 PixelsToTwips(event->position().y(), logicalDpiY()));
    if (click) emit Click();
}
