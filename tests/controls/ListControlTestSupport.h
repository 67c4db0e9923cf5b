// A recording host for the list control and helpers that drive it like a user.
#pragma once

#include "controls/QV_ListControl.h"
#include "controls/SymbolGlyphs.h"
#include "tests/support/WidgetTest.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>
#include <gtest/gtest.h>
#include <functional>

// Reads what the control last drew into its grid.
struct ListControlProbe {
    using L = QV_ListControl;
    static const auto& Label(const L& l, int labelRow, int column) { return l.labels_[size_t(labelRow * 16 + column)]; }
    static QString Caption(const L& l, int labelRow, int column) { return Label(l, labelRow, column).caption; }
    static ListCell Key(const L& l, qint32 row) { return l.rows_[size_t(row)].key; }
    static QString Cell(const L& l, qint32 row, int column) { return l.CellAt(l.rows_[size_t(row)], column).Text(); }
    // A column's cell font, the text drawn for a cell value, and the pixels a cell shows.
    static QFont CellFont(const L& l, int column, bool bold)
    {
        return bold ? l.styles_[size_t(column)].bold : l.styles_[size_t(column)].normal;
    }
    static QString Drawn(const L& l, int column, const QString& value)
    {
        return SymbolGlyphText(l.columns_[size_t(column)].fontName, value);
    }
    static int InnerPx(const L& l, int column)
    {
        const auto& place = l.places_[size_t(column)];
        return l.PxX(place.left + place.inner) - l.PxX(place.left);
    }
};

// Answers row i with the cells of rows(i) (title "T<i>" in column 1 when no
// generator is set) and the key 1000 + i; logs every event in order.
class RecordingHost : public QV_ListControlHost
{
public:
    // Logs "<event> <arguments in order>", then runs the hook if one is set.
    auto Logger(const char* event, std::function<void()>* hook = nullptr)
    {
        return [this, event, hook](const auto&... args) {
            QStringList parts{QString::fromLatin1(event)};
            ((parts << Text(args)), ...);
            log << parts.join(u' ');
            if (hook && *hook) (*hook)();
        };
    }
    template <typename T> static QString Text(const T& v)
    {
        if constexpr (std::is_arithmetic_v<T>) return QString::number(v);
        else if constexpr (std::is_same_v<T, ListCell>) return v.IsEmpty() ? QStringLiteral("E") : v.Text();
        else return v;
    }

    explicit RecordingHost(QV_ListControl& list)
    {
        list.SetHost(this);
        using L = QV_ListControl;
        QObject::connect(&list, &L::ItemClick, Logger("ItemClick", &onClick));
        QObject::connect(&list, &L::ItemDblClick, Logger("ItemDblClick"));
        QObject::connect(&list, &L::ItemSelect, Logger("ItemSelect"));
        QObject::connect(&list, &L::ItemKeyDown, Logger("ItemKeyDown"));
        QObject::connect(&list, &L::ItemMouseDown, Logger("ItemMouseDown"));
        QObject::connect(&list, &L::ItemMouseUp, Logger("ItemMouseUp", &onMouseUp));
        QObject::connect(&list, &L::HeaderClick, Logger("HeaderClick"));
        QObject::connect(&list, &L::HeaderMouseDown, Logger("HeaderMouseDown"));
        QObject::connect(&list, &L::HeaderMouseUp, Logger("HeaderMouseUp"));
        QObject::connect(&list, &L::ItemCountChange, Logger("ItemCountChange"));
    }

    void KeyDown(int& keyCode, int& shift) override
    {
        log << QStringLiteral("KeyDown %1 %2").arg(keyCode).arg(shift);
        if (onKeyDown) onKeyDown(keyCode, shift);
    }

    bool NeedData(qint32 index, QList<ListCell>& data, ListCell& key) override
    {
        log << QStringLiteral("NeedData %1").arg(index);
        key = ListCell(1000 + index);
        if (noData && noData(index)) return false;
        data = rows ? rows(index) : QList<ListCell>{ListCell(), QStringLiteral("T%1").arg(index)};
        if (afterNeedData) afterNeedData(index);
        return true;
    }

    QStringList Take() { QStringList l = log; log.clear(); return l; }

    QStringList log;
    std::function<QList<ListCell>(qint32)> rows;
    std::function<bool(qint32)> noData;
    std::function<void(qint32)> afterNeedData;
    std::function<void(int&, int&)> onKeyDown;
    std::function<void()> onClick, onMouseUp;
};

inline QStringList NeedDataRange(int from, int to)
{
    QStringList l;
    for (int i = from; i <= to; ++i) l << QStringLiteral("NeedData %1").arg(i);
    return l;
}

// At 96 dpi a pixel is 15 twips.
inline QPointF Tw(double xTwips, double yTwips) { return QPointF(xTwips / 15.0, yTwips / 15.0); }

inline void SendMouse(QWidget& w, QEvent::Type type, QPointF pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, pos, w.mapToGlobal(pos), button, buttons, mods);
    QApplication::sendEvent(&w, &e);
}

inline void Click(QWidget& w, QPointF pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    SendMouse(w, QEvent::MouseButtonPress, pos, button, button, mods);
    SendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, mods);
}

inline void DoubleClick(QWidget& w, QPointF pos)
{
    Click(w, pos);
    SendMouse(w, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

inline void Drag(QWidget& w, QPointF from, QPointF to)
{
    SendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

inline void Key(QWidget& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent e(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(&w, &e);
}

// Centre of cell label (row, column) for the three columns of ListFixture.
inline QPointF CellPoint(int labelRow, int column)
{
    static const double lefts[] = {100, 600, 2600};
    return Tw(lefts[column] + 60, 240 + 240.0 * labelRow + 100);
}

// A shown control with a recording host and three columns: "Nr." 500,
// "Titel" 2000, "Interpret" 1500 twips; 20 visible rows.
class ListFixture : public WidgetTest
{
protected:
    ListFixture() : host(list)
    {
        list.resize(600, 336); // 9000 x 5040 twips
        list.SetHeader(0, QStringLiteral("Nr."), 500);
        list.SetHeader(1, QStringLiteral("Titel"), 2000);
        list.SetHeader(2, QStringLiteral("Interpret"), 1500);
        list.show(); // resize events arrive at once
    }
    QV_ListControl list;
    RecordingHost host;
};
