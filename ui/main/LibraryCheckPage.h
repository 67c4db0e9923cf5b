// The library check page of the main window (its pane frAudioOrganize): walks
// the library once, marks the records whose file is missing with "R" and
// reports their number. Removing them is proposed but not done.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class LibraryCheckPage : public QWidget {
    Q_OBJECT
public:
    // Sized to the pane (9600 x 7560 twips); the main window places it at 0, 0.
    explicit LibraryCheckPage(QWidget* parent = nullptr);

    // Runs the check when the start button's caption is "Analyse starten".
    void cmdOrgStart_Click();

    QLabel *Image1, *Label2, *lblOrgHome, *lblOrgProcessing, *lblOrgInfo;
    QProgressBar* pgbOrgProcessing;
    QPushButton *cmdOrgStart, *cmdOrgExecute;
    QPlainTextEdit* txtOrgThings;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Place(QWidget* w, int left, int top, int width, int height);
};
