// A flat glyph button that shows a hover colour while the pointer is over it
// and raises Click after a press and release inside it. Colours are Windows
// colour values &H00BBGGRR.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <cstdint>

class GlyphHoverButton : public QWidget {
    Q_OBJECT
public:
    explicit GlyphHoverButton(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    void SetBackColor(uint32_t color);
    void SetHoverColor(uint32_t color);
    void SetForeColor(uint32_t color);
    void SetHoverForeColor(uint32_t color);
    // A symbol font's captions are drawn as their Unicode symbols.
    void SetCaptionFont(const QString& family, double pointSize);

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString caption_;
    QString family_;
    QFont drawFont_;
    uint32_t back_ = 0xFFFFFF, hover_ = 0xFFFFFF, fore_ = 0, hoverFore_ = 0;
    bool pressed_ = false;
};
