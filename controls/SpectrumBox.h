// A box of spectrum bars: filled rectangles standing on the bottom edge, bar i
// centred at x = (i + 0.5) * width / count. Heights are fractions of the box's
// height (0..1).
//
// Heights may arrive faster than a screen shows them (every 10 ms audio tick).
// The box keeps the latest and paints at most once per screen frame, and then
// only the stretches of the bars that changed. Text labels lying over the box
// (its children and the siblings above it) are drawn from a picture of each,
// made again only when the label itself changes, so a frame of bars does not
// lay out their text again.
#pragma once

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <QLabel>

class SpectrumBox : public QWidget {
public:
    explicit SpectrumBox(QWidget* parent = nullptr);

    void SetColors(const QColor& back, const QColor& bar);
    void SetBarWidth(int pixels);
    // Heights, one per bar; an empty list clears the box. Painted with the next frame.
    void SetHeights(const QVector<float>& heights);
    void Clear() { SetHeights({}); }
    // The latest heights, whether painted yet or not.
    const QVector<float>& Heights() const { return heights_; }

    // Hands what changed since the last frame to the painting; returns the
    // region asked to be repainted. The frame timer calls it.
    QRegion ShowFrame();

    // Keeps the box over the whole of its parent, below the parent's other children.
    void FillParent();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Bar {
        int left;
        int top;  // the box's height when the bar is not drawn
    };
    Bar BarOf(const QVector<float>& heights, qsizetype i) const;
    // Everything a text label's picture depends on.
    struct LabelLooks {
        QString text;
        QFont font;
        QString styleSheet;
        QSize size;
        qint64 palette = 0;
        int alignment = 0;
        int margin = 0;
        qreal ratio = 0;
        bool enabled = false;
        bool wordWrap = false;
        bool operator==(const LabelLooks&) const = default;
    };
    struct LabelPicture {
        QPointer<QLabel> label;
        LabelLooks looks;  // when the picture was made
        QPixmap picture;
    };
    static LabelLooks LooksOf(const QLabel* label);
    void WatchLabel(QObject* object);
    void RefreshLabelPictures();
    bool PaintLabel(const LabelPicture& cached);

    static constexpr int kColumn = 32;  // pixels

    QColor back_;
    QColor bar_;
    int barWidth_ = 1;
    QVector<float> heights_;  // latest
    QVector<float> shown_;    // as handed to the last frame; what the screen shows
    QTimer frame_;
    QHash<const QObject*, LabelPicture> labels_;
    bool renderingLabel_ = false;
};
