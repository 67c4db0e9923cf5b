// A flat glyph button that shows a hover colour while the pointer is over it:
// press, release and click (a press and release inside it).
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class GlyphHoverButton : public QWidget {
    Q_OBJECT
public:
    explicit GlyphHoverButton(QWidget* parent = nullptr);

    // The caption as stored; symbol-font captions are drawn as their Unicode symbols.
    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }
    void SetBackColor(const QColor& color);
    void SetHoverColor(const QColor& color);
    void SetForeColor(const QColor& color);

signals:
    void MouseDown();
    void MouseUp();
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString caption_;
    QColor back_{Qt::white};
    QColor hover_{Qt::white};
    QColor fore_{Qt::black};
    bool pressed_ = false;
};
