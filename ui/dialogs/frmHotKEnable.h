// The hot-key capture dialog: records the held key combination as the codes
// of the keys, ascending, joined by " + ". The main window's hot-key polling
// is off for as long as the dialog exists.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The text of held keys: codes 1..254 ascending, each once; the mouse buttons
// (1, 2, 4, 5, 6) are never part of a hot key.
QString HeldKeysText(const std::vector<int>& held);
// What the field shows after a tick: the held keys' text when it is longer
// than the shown one, so the fullest combination stays while keys are let go.
QString NextCaptureText(const QString& shown, const std::vector<int>& held);

class frmHotKEnable : public QDialog {
    Q_OBJECT
public:
    // setHotKeyTimer switches the polling and returns whether it was on; the
    // dialog switches it off now and back to what it was when it goes.
    frmHotKEnable(QWidget* owner, std::function<bool(bool)> setHotKeyTimer);
    ~frmHotKEnable() override;

    // True unless "&OK" closed the dialog.
    bool Cancelled = true;

    // One poll of the held keys (Timer1's tick).
    void Timer1_Timer();

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* Command3;  // "&Löschen"
    QPushButton* Command2;  // "A&bbrechen"
    QPushButton* Command1;  // "&OK"
    QTimer* Timer1;

private:
    std::function<bool(bool)> setHotKeyTimer_;
    bool pollingWasOn_ = false;
};
