#include "ui/dialogs/GlyphHoverButton.h"

#include "controls/SymbolGlyphs.h"
#include "controls/WinColor.h"

#include <QMouseEvent>
#include <QPainter>

GlyphHoverButton::GlyphHoverButton(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_Hover);
}

void GlyphHoverButton::SetCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void GlyphHoverButton::SetBackColor(uint32_t color)
{
    back_ = color;
    repaint();  // shown at once
}

void GlyphHoverButton::SetHoverColor(uint32_t color)
{
    hover_ = color;
    update();
}

void GlyphHoverButton::SetForeColor(uint32_t color)
{
    fore_ = color;
    update();
}

void GlyphHoverButton::SetHoverForeColor(uint32_t color)
{
    hoverFore_ = color;
    update();
}

void GlyphHoverButton::SetCaptionFont(const QString& family, double pointSize)
{
    family_ = family;
    drawFont_ = IsSymbolFont(family) ? font() : QFont(family);
    drawFont_.setPointSizeF(pointSize);
    update();
}

void GlyphHoverButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool hot = underMouse() && !pressed_;
    p.fillRect(rect(), WinColorToQColor(hot ? hover_ : back_));
    p.setPen(WinColorToQColor(hot ? hoverFore_ : fore_));
    p.setFont(drawFont_);
    p.drawText(rect(), Qt::AlignCenter, SymbolGlyphText(family_, caption_));
}

void GlyphHoverButton::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    update();
}

void GlyphHoverButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    update();
    if (click) emit Click();
}

void GlyphHoverButton::enterEvent(QEnterEvent*)
{
    update();
}

void GlyphHoverButton::leaveEvent(QEvent*)
{
    update();
}
