#include "controls/ListCell.h"

const QString& ListCell::TextValue() const
{
    static const QString none;
    return IsText() ? std::get<2>(value_) : none;
}

QString ListCell::Text() const
{
    if (IsNumber())
        return QString::number(std::get<1>(value_));
    return TextValue();
}

bool SameKey(const ListCell& rowKey, const ListCell& key)
{
    if (rowKey.IsEmpty() || key.IsEmpty())
        return false;
    return rowKey == key;
}
