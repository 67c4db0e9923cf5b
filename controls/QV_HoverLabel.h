// QV_HoverLabel: a caption button in the form of a label. It shows its
// background colour, or the hover colour while the pointer is over it, and
// raises mouse-down, mouse-up and click (after a press and release inside).
// Captions in a symbol font are drawn through the glyph map.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <cstdint>

class QV_HoverLabel : public QWidget
{
    Q_OBJECT

public:
    explicit QV_HoverLabel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // Windows colour values &H00BBGGRR; a new background shows at once.
    uint32_t BackColor() const { return backColor_; }
    void SetBackColor(uint32_t color);
    uint32_t HoverColor() const { return hoverColor_; }
    void SetHoverColor(uint32_t color);
    uint32_t ForeColor() const { return foreColor_; }
    void SetForeColor(uint32_t color);
    uint32_t HoverForeColor() const { return hoverForeColor_; }
    void SetHoverForeColor(uint32_t color);
    void SetBorderStyle(int style);
    // The font the caption is set in; a symbol font's family is kept for the map.
    void SetCaptionFont(const QString& family, double pointSize);
    // The text as drawn (the caption through the glyph map of its font).
    QString DrawnText() const;

signals:
    // Button (1 left, 2 right, 4 middle), shift mask, x and y in twips.
    void MouseDown(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString caption_;
    QString family_;
    QFont drawFont_;
    uint32_t backColor_ = 0x80000005;
    uint32_t hoverColor_ = 0xFFFFFF;
    uint32_t foreColor_ = 0;
    uint32_t hoverForeColor_ = 0;
    int borderStyle_ = 0;
    bool hover_ = false;
    bool pressed_ = false;
};
