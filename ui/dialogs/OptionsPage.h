// The options page: the content of the main window's pane frOptions. It is
// built into OptionsHost::OptionsPageFrame() on first use by the procedures
// LoadOptionsTree, LoadOptions and ShowOptions of ui/main/OtherWindows.h.
#pragma once

#include <QWidget>

class OptionsController;
class QLabel;
class QPushButton;
class QTreeWidget;

class OptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit OptionsPage(QWidget* frOptions);

    OptionsController& Controller() { return *controller_; }

    QTreeWidget* trvOptionsTree;
    QLabel* lblOptTitle;
    QPushButton* comDefault;
    QPushButton* Command2;  // revert; Esc on the page
    QPushButton* Command1;  // apply

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    OptionsController* controller_;
};

// The page, built on first call into the host's pane; nullptr without a host.
OptionsPage* CurrentOptionsPage();
