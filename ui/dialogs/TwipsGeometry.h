// Placing a window's controls from layouts given in twips.
#pragma once

#include "ui/dialogs/DialogLayout.h"
#include "ui/dialogs/DialogParts.h"

#include <QFont>
#include <QPushButton>
#include <QWidget>

inline void PlaceTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(TwipsRect(*widget, left, top, width, height));
}

// A button of the dialogs' kind (Enter stays with the default button), placed.
inline QPushButton* PlaceButton(QWidget* parent, const QString& text, const char* objectName, int left, int top,
                                int width, int height)
{
    QPushButton* button = MakeButton(text, objectName);
    button->setParent(parent);
    PlaceTwips(button, left, top, width, height);
    return button;
}

inline void SizeTwips(QWidget* widget, int width, int height)
{
    widget->setFixedSize(TwipsSize(*widget, width, height));
}

// The font the twips layouts were made for.
inline QFont FormFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    return font;
}
