// One value of the list control's cache: a cell or a row key as the host hands
// it over. Sorting depends on the kind, so the kind is kept: nothing, a whole
// number or a text.
#pragma once

#include <QString>
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

    // Sort order: numbers numerically, texts by UTF-16 code unit, a number before
    // any text; an empty cell counts as 0 against a number and "" against a text.
    friend int CompareCells(const ListCell& a, const ListCell& b);
    friend bool operator==(const ListCell& a, const ListCell& b) { return a.value_ == b.value_; }

private:
    std::variant<std::monostate, qint64, QString> value_;
};

inline int CompareCells(const ListCell& a, const ListCell& b)
{
    const auto ka = a.value_.index(), kb = b.value_.index();
    if (ka == 2 && kb == 2) {
        const int r = QString::compare(std::get<2>(a.value_), std::get<2>(b.value_), Qt::CaseSensitive);
        return (r > 0) - (r < 0);
    }
    if (ka == 1 && kb == 1) {
        const qint64 x = std::get<1>(a.value_), y = std::get<1>(b.value_);
        return (x > y) - (x < y);
    }
    if (ka == 0 && kb == 0)
        return 0;
    if (ka == 1 && kb == 2)
        return -1;
    if (ka == 2 && kb == 1)
        return 1;
    // One side is empty: it stands for 0 or "" of the other side's kind.
    if (ka == 0)
        return kb == 1 ? -CompareCells(b, ListCell(qint64(0))) : (b.TextValue().isEmpty() ? 0 : -1);
    return -CompareCells(b, a);
}

// Whether a row's key is the given key. A row without a key (never answered)
// is nobody's row, so an empty key matches nothing.
bool SameKey(const ListCell& rowKey, const ListCell& key);
