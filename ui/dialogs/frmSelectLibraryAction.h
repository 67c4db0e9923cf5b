// The question what to do with the library after its folders changed.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

class frmSelectLibraryAction : public QDialog {
    Q_OBJECT
public:
    explicit frmSelectLibraryAction(QWidget* owner);

    // 1 rebuild, 2 update, 3 nothing. Only "&OK" answers with the chosen
    // option; any other way out (frame, Esc, not shown) is 3: an unconfirmed
    // rebuild would drop every play count and rating.
    int Answer() const;

    QLabel* Label1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QRadioButton* Option3;
    QPushButton* Command1;
};

// Shows the question modally over the owner and gives its answer.
int AskLibraryAction(QWidget* owner);
