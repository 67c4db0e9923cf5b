// The start-up window: product, maker, version and the step the start is at.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>

class QLabel;
class QTimer;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* owner = nullptr);

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QTimer* Timer1;

    // The copy the timer shows; made at the first tick.
    frmSplash* SecondSplash() const { return qobject_cast<frmSplash*>(second.data()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Timer1_Timer();

    QPointer<QWidget> second;
    int16_t counter = 0;
};

// The splash of the start procedure, from its first step to its last. Every
// call is harmless when no splash is shown.
void ShowSplash();
void SetSplashStep(const QString& text);
void SetSplashTimer(bool enabled);
// Closes and frees the splash and its copy.
void UnloadSplash();
// The splash shown now, nullptr when none.
frmSplash* SplashWindow();
