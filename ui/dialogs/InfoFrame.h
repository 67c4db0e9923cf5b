// The "Info" frame the playlist windows open with: an icon beside a text.
#pragma once

#include <QString>

class QGroupBox;
class QWidget;

QGroupBox* MakeInfoFrame(const QString& text, QWidget* styleSource);
