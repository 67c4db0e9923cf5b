// A box of spectrum bars: filled rectangles standing on the bottom edge, bar i
// centred at x = (i + 0.5) * width / count. Heights are fractions of the box's
// height (0..1). Repaints only when what it shows changes.
#pragma once

#include <QColor>
#include <QVector>
#include <QWidget>

class SpectrumBox : public QWidget {
public:
    explicit SpectrumBox(QWidget* parent = nullptr);

    void SetColors(const QColor& back, const QColor& bar);
    void SetBarWidth(int pixels);
    // Heights, one per bar; an empty list clears the box.
    void SetHeights(const QVector<float>& heights);
    void Clear() { SetHeights({}); }
    const QVector<float>& Heights() const { return heights_; }

    // Keeps the box over the whole of its parent, below the parent's other children.
    void FillParent();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QColor back_;
    QColor bar_;
    int barWidth_ = 1;
    QVector<float> heights_;
};
