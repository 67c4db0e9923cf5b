#include "ui/dialogs/GlyphHoverButton.h"

#include "controls/SymbolGlyphs.h"

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

void GlyphHoverButton::SetBackColor(const QColor& color)
{
    back_ = color;
    repaint();  // shown at once, also when set between press and command
}

void GlyphHoverButton::SetHoverColor(const QColor& color)
{
    hover_ = color;
    update();
}

void GlyphHoverButton::SetForeColor(const QColor& color)
{
    fore_ = color;
    update();
}

void GlyphHoverButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool hot = underMouse();
    p.fillRect(rect(), hot ? hover_ : back_);
    p.setPen(hot ? back_ : fore_);
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter, SymbolGlyphText(font().family(), caption_));
}

void GlyphHoverButton::mousePressEvent(QMouseEvent* event)
{
    pressed_ = true;
    event->accept();
    emit MouseDown();
}

void GlyphHoverButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    emit MouseUp();
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
