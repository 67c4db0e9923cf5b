// The about box: maker, product, version and the libraries it is built on.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* owner = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label7;
    QTextEdit* Text1;
    QPushButton* Command1;
};

// The open about box, nullptr when none (OpenInfo and UnloadInfo are in
// ui/main/OtherWindows.h).
frmInfo* InfoWindow();
