// Small parts the dialogs are built from.
#pragma once

#include <QString>
#include <Qt>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// A fixed dialog frame with a close box, no minimize or maximize button;
// owned windows stay out of the task bar.
constexpr Qt::WindowFlags FixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint
    | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// The "Info" frame the playlist windows open with: an icon beside a text.
QGroupBox* MakeInfoFrame(const QString& text, QWidget* styleSource);
// A push button with its object name that does not take Enter when focused:
// Enter belongs to the dialog's one default button.
QPushButton* MakeButton(const QString& text, const char* objectName);
QLabel* MakeBoldLabel(const QString& text);
