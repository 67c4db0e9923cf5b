#include "ui/dialogs/frmSplash.h"

#include "controls/QVTrayIcon.h"
#include "platform/QtUiServices.h"
#include "ui/dialogs/DialogLayout.h"

#include "ProductInfo.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <utility>

namespace {

// The frame the window draws itself, as it has no frame of the desktop's.
constexpr int Border = 1;

// Held as a QWidget: the pointer is only cleared at the end of its destruction,
// and events sent while it is torn down must not see a splash.
QPointer<QWidget>& Current()
{
    static QPointer<QWidget> splash;
    return splash;
}

// Before the event loop runs, showing a splash window lets pending events run
// (Qt draws it at once). One of them can be a session end that unloads the
// splash: it waits until show() has returned.
int showing = 0;
bool unloadWhenShown = false;

// Shows a splash window; true when the splash was unloaded meanwhile.
bool ShowAndAskUnloaded(QWidget& window)
{
    ++showing;
    window.show();
    --showing;
    return showing == 0 && std::exchange(unloadWhenShown, false);
}

} // namespace

frmSplash::frmSplash(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint),
      Image1(new QLabel(this)),
      Label1(new QLabel(QStringLiteral("Sarovin"), this)),
      Label2(new QLabel(QStringLiteral("Wird geladen ..."), this)),
      Label3(new QLabel(this)),
      Label4(new QLabel(QStringLiteral("by Trelmund"), this)),
      Label5(new QLabel(this)),
      Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    // It takes no input; the focus stays where the user has it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::WaitCursor);
    SetBackground(*this, Qt::white);
    setFixedSize(TwipsSize(*this, 3975, 2580) + QSize(2 * Border, 2 * Border));

    const struct {
        QWidget* w;
        const char* name;
        double x, y, width, height;
    } places[] = {
        {Image1, "Image1", 120, 240, 480, 480},  {Label1, "Label1", 720, 210, 1455, 375},
        {Label4, "Label4", 1200, 330, 1935, 255}, {Label3, "Label3", 720, 600, 2415, 255},
        {Label2, "Label2", 120, 1320, 3735, 255}, {Label5, "Label5", 120, 1560, 3735, 255},
    };
    for (const auto& p : places) {
        p.w->setObjectName(QString::fromLatin1(p.name));
        p.w->setGeometry(TwipsRect(*this, p.x, p.y, p.width, p.height).translated(Border, Border));
    }
    Image1->setPixmap(TrayIconImage().pixmap(Image1->size()));
    Image1->setAlignment(Qt::AlignCenter);

    QFont title(QStringLiteral("Arial"));
    title.setPointSizeF(15.75);
    title.setBold(true);
    Label1->setFont(title);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3->setText(QStringLiteral("Version ") + ProductVersionText() + QStringLiteral(" beta"));
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label2->setAlignment(Qt::AlignCenter);
    Label5->setAlignment(Qt::AlignCenter);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    CentreOnScreen(*this);
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmSplash::Timer1_Timer()
{
    ++counter;
    // Made here, not in the constructor, where each copy would make another.
    frmSplash* copy = SecondSplash();
    if (!copy) second = copy = new frmSplash(this);
    copy->Label5->setText(Label5->text());
    if (counter > 100) Timer1->stop();
    if (ShowAndAskUnloaded(*copy)) {
        // Inside this window's own timer: it goes once the timer is done.
        if (Current() == this) Current() = nullptr;
        hide();
        deleteLater();
    }
}

void ShowSplash()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    // A start after an earlier one in the same process begins afresh.
    UnloadSplash();
    auto* splash = new frmSplash;
    Current() = splash;
    if (ShowAndAskUnloaded(*splash)) {
        UnloadSplash();
        return;
    }
    // The start's message boxes come before any window can take the focus; owned
    // by the splash they stack above it.
    SetFallbackOwner(splash);
}

void SetSplashStep(const QString& text)
{
    if (frmSplash* s = SplashWindow()) s->Label5->setText(text);
}

void SetSplashTimer(bool enabled)
{
    frmSplash* s = SplashWindow();
    if (!s) return;
    if (enabled) s->Timer1->start();
    else s->Timer1->stop();
}

void UnloadSplash()
{
    if (showing) {
        unloadWhenShown = true;
        return;
    }
    // The copy is the splash's child and goes with it.
    delete Current().data();
    Current() = nullptr;
}

frmSplash* SplashWindow()
{
    return qobject_cast<frmSplash*>(Current().data());
}
