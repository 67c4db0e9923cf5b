// One value of the list control's cache: a cell or a row key as the host hands
// it over. Sorting depends on the kind, so the kind is kept: nothing, a whole
// number or a text.
#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <variant>

class ListCell
{
public:
    ListCell() = default;
    ListCell(int number) : value_(static_cast<qint64>(number)) {}
    ListCell(qint64 number) : value_(number) {}
    ListCell(const QString& text) : value_(text) {}
    ListCell(QString&& text) : value_(std::move(text)) {}
    ListCell(const char* text) : value_(QString::fromUtf8(text)) {}

    bool IsEmpty() const { return value_.index() == 0; }
    bool IsNumber() const { return value_.index() == 1; }
    bool IsText() const { return value_.index() == 2; }

    // The number, 0 for anything else.
    qint64 Number() const { return IsNumber() ? std::get<1>(value_) : 0; }
    // The text of a text cell, "" for anything else.
    const QString& TextValue() const;
    // What the cell shows: "" for nothing, the decimal digits of a number, the text.
    QString Text() const;

    friend bool operator==(const ListCell& a, const ListCell& b) { return a.value_ == b.value_; }

    // Kind and value without ownership, for comparing in bulk; valid while the
    // cell lives unchanged.
    struct View {
        int kind = 0; // 0 empty, 1 number, 2 text
        qint64 number = 0;
        QStringView text;
    };
    View ViewOf() const
    {
        if (IsNumber())
            return {1, std::get<1>(value_), {}};
        if (IsText())
            return {2, 0, std::get<2>(value_)};
        return {};
    }

private:
    std::variant<std::monostate, qint64, QString> value_;
};

// Sort order: numbers numerically, texts by UTF-16 code unit, a number before
// any text; an empty cell counts as 0 against a number and "" against a text.
inline int CompareCells(const ListCell::View& a, const ListCell::View& b)
{
    if (a.kind == 2 && b.kind == 2) {
        const int r = a.text.compare(b.text, Qt::CaseSensitive);
        return (r > 0) - (r < 0);
    }
    if (a.kind == 0 && b.kind == 0)
        return 0;
    if (a.kind == 1 && b.kind == 2)
        return -1;
    if (a.kind == 2 && b.kind == 1)
        return 1;
    if (a.kind == 2 || b.kind == 2) // the other one is empty: ""
        return a.kind == 2 ? !a.text.isEmpty() : -int(!b.text.isEmpty());
    // Numbers, an empty one as 0.
    return (a.number > b.number) - (a.number < b.number);
}

inline int CompareCells(const ListCell& a, const ListCell& b)
{
    return CompareCells(a.ViewOf(), b.ViewOf());
}

// Whether a row's key is the given key. A row without a key (never answered)
// is nobody's row, so an empty key matches nothing.
bool SameKey(const ListCell& rowKey, const ListCell& key);
