#include "controls/QVTrayIcon.h"

#include "controls/WinColor.h"
#include "core/Runtime.h"

#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>

namespace {

std::function<bool()>& HostCheck()
{
    static std::function<bool()> check;
    return check;
}

std::function<void(QSystemTrayIcon&, const TrayBalloon&)>& Presenter()
{
    static std::function<void(QSystemTrayIcon&, const TrayBalloon&)> presenter;
    return presenter;
}

void PresentBalloon(QSystemTrayIcon& icon, const TrayBalloon& b)
{
    if (Presenter()) {
        Presenter()(icon, b);
        return;
    }
    if (b.ShowsTrayPicture) icon.showMessage(b.Title, b.Text, icon.icon(), b.TimeoutMs);
    else icon.showMessage(b.Title, b.Text, b.Icon, b.TimeoutMs);
}

// The lengths of the desktop's fields, without their closing NUL.
constexpr int ToolTipLength = 127;
constexpr int BalloonTextLength = 255;
constexpr int BalloonTitleLength = 63;

// Cut to at most max characters, never inside a surrogate pair.
QString Cut(const QString& text, int max)
{
    if (text.size() <= max) return text;
    int n = max;
    if (n > 0 && text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}

QIcon LoadIcon(const QString& file)
{
    QIcon icon;
    if (file.isEmpty()) return icon;
    QImageReader reader(file);
    // An .ico holds several sizes; each is one image of the file.
    do {
        const QImage image = reader.read();
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    return icon;
}

QPixmap PaintNote(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    p.setPen(Qt::NoPen);
    p.setBrush(WinColorToQColor(0xBD8250));
    p.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 6 * s, 6 * s);
    // An eighth note in white: head, stem and flag.
    p.setBrush(Qt::white);
    p.save();
    p.translate(12.5 * s, 23 * s);
    p.rotate(-20);
    p.drawEllipse(QRectF(-5 * s, -3.6 * s, 10 * s, 7.2 * s));
    p.restore();
    p.drawRect(QRectF(15.6 * s, 6 * s, 2.4 * s, 17 * s));
    QPainterPath flag;
    flag.moveTo(18 * s, 6 * s);
    flag.cubicTo(19 * s, 11 * s, 25 * s, 11 * s, 23.5 * s, 18 * s);
    flag.cubicTo(23 * s, 14 * s, 20.5 * s, 12.5 * s, 18 * s, 12 * s);
    flag.closeSubpath();
    p.drawPath(flag);
    return pm;
}

} // namespace

bool TrayHostAvailable()
{
    return HostCheck() ? HostCheck()() : QSystemTrayIcon::isSystemTrayAvailable();
}

void SetTrayHostCheck(std::function<bool()> check)
{
    HostCheck() = std::move(check);
}

void SetBalloonPresenter(std::function<void(QSystemTrayIcon&, const TrayBalloon&)> presenter)
{
    Presenter() = std::move(presenter);
}

QIcon PaintedTrayIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(PaintNote(size));
    return icon;
}

QIcon TrayIconImage()
{
    const QIcon icon = LoadIcon(DataFile(QStringLiteral("Tray.ico")));
    return icon.isNull() ? PaintedTrayIcon() : icon;
}

QVTrayIcon::QVTrayIcon(QObject* parent)
    : QObject(parent), icon(new QSystemTrayIcon(this)), Timer1(new QTimer(this))
{
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, [this] { ShowBaloon({}, {}, 0, -1, 1000); });
    connect(icon, &QSystemTrayIcon::activated, this, &QVTrayIcon::OnActivated);
}

QVTrayIcon::~QVTrayIcon()
{
    RemoveIcon();
}

void QVTrayIcon::AddIcon(const QString& iconFile, const QString& tip)
{
    toolTip = tip;
    const QIcon loaded = LoadIcon(iconFile);
    icon->setIcon(loaded.isNull() ? PaintedTrayIcon() : loaded);
    icon->setToolTip(Cut(toolTip, ToolTipLength));
    icon->show();
}

void QVTrayIcon::ShowBaloon(const QString& text, const QString& title, int32_t infoFlags, int hideAfterMs,
                            int timeoutMs)
{
    Timer1->stop();
    if (hideAfterMs > 0) {
        Timer1->setInterval(hideAfterMs);
        Timer1->start();
    }
    // Every change of the balloon carries the stored tool tip along.
    icon->setToolTip(Cut(toolTip, ToolTipLength));
    // An empty balloon only withdraws the one shown. The desktop offers no way to
    // withdraw a message, and showing an empty one would pop up a new balloon.
    if (text.isEmpty() || !icon->isVisible() || !TrayHostAvailable()) return;

    TrayBalloon b;
    b.Title = Cut(title, BalloonTitleLength);
    b.Text = Cut(text, BalloonTextLength);
    b.TimeoutMs = timeoutMs;
    static const QSystemTrayIcon::MessageIcon stock[] = {QSystemTrayIcon::NoIcon, QSystemTrayIcon::Information,
                                                         QSystemTrayIcon::Warning, QSystemTrayIcon::Critical};
    // The low four bits choose the icon; the others are sound and size hints.
    const int kind = infoFlags & 0xF;
    if (kind == 4) b.ShowsTrayPicture = true;
    else if (kind < 4) b.Icon = stock[kind];
    PresentBalloon(*icon, b);
}

void QVTrayIcon::RemoveIcon()
{
    Timer1->stop();
    icon->hide();
}

void QVTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit MouseDown(0);
        emit MouseUp(0);
        break;
    case QSystemTrayIcon::Context:
        emit MouseDown(1);
        emit MouseUp(1);
        break;
    case QSystemTrayIcon::DoubleClick:
        // A double click follows the click the desktop already reported.
        emit DblClick();
        emit MouseUp(0);
        break;
    default:
        break;
    }
}

void ShowTitleBalloon(QVTrayIcon& tray, const QString& title, const QString& artistAlbumLine)
{
    tray.AddIcon(DataFile(QStringLiteral("Tray.ico")),
                 QStringLiteral("'") + title + QStringLiteral("' ") + artistAlbumLine);
    tray.ShowBaloon(artistAlbumLine + QStringLiteral(" "), title, 4, -1, 32000);
}
