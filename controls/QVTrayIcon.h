// The icon in the desktop's notification area, with balloon messages, and its
// mouse notifications turned into the events the main window handles.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>

class QTimer;

// A balloon as it goes to the desktop.
struct TrayBalloon {
    QString Title;
    QString Text;
    QSystemTrayIcon::MessageIcon Icon = QSystemTrayIcon::NoIcon;
    // Info flags 4: the tray's own picture instead of a stock icon.
    bool ShowsTrayPicture = false;
    int TimeoutMs = 0;
};

// Whether the desktop has a notification area. Without one the main window
// must never hide itself into it.
bool TrayHostAvailable();
// Tests replace the desktop's answer and where balloons go; an empty function
// restores the real one.
void SetTrayHostCheck(std::function<bool()> check);
void SetBalloonPresenter(std::function<void(QSystemTrayIcon& icon, const TrayBalloon& balloon)> presenter);

// The program's tray picture: Tray.ico of the data folder, or, when that cannot
// be read, one the program paints itself.
QIcon TrayIconImage();
QIcon PaintedTrayIcon();

class QVTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit QVTrayIcon(QObject* parent = nullptr);
    ~QVTrayIcon() override;

    // Stores the tool tip and shows the icon of the file; a file that cannot be
    // read gives the painted icon, so the window always has its way back.
    void AddIcon(const QString& iconFile, const QString& toolTip);
    // Replaces the balloon. hideAfterMs > 0 withdraws it after that time (once);
    // infoFlags: 1 information, 2 warning, 3 error, 4 the tray picture.
    void ShowBaloon(const QString& text, const QString& title, int32_t infoFlags, int hideAfterMs, int timeoutMs);
    void RemoveIcon();

signals:
    // Buttons: 0 left, 1 right. The desktop reports clicks, not presses and
    // releases, so each click raises MouseDown then MouseUp.
    void MouseDown(int button);
    void MouseUp(int button);
    // The desktop gives no pointer movement over the icon; never raised here.
    void MouseMove();
    void DblClick();

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon* icon;
    QTimer* Timer1;
    QString toolTip;
};

// The title balloon a starting title shows: the tool tip names the title, the
// balloon has the title as heading and the artist and album line as text.
void ShowTitleBalloon(QVTrayIcon& tray, const QString& title, const QString& artistAlbumLine);
