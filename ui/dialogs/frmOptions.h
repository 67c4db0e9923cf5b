// The stand-alone options window: the options page's logic in a dialog of
// its own. Nothing in the program opens it.
#pragma once

#include <QDialog>

class OptionsController;
class QLabel;
class QPushButton;
class QTreeWidget;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    // Builds the window, shows "Main", fills the tree and the controls.
    explicit frmOptions(QWidget* owner);
    ~frmOptions() override;

    void ShowOption(const QString& key);
    OptionsController& Controller() { return *controller_; }

    QTreeWidget* TreeView1;
    QLabel* lblTitle;
    QLabel* Label4;
    QPushButton* comDefault;
    QPushButton* Command3;  // "&OK"
    QPushButton* Command2;  // "&Abbrechen"
    QPushButton* Command1;  // "&Übernehmen"

private:
    OptionsController* controller_;
};
