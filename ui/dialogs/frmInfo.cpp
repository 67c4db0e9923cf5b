#include "ui/dialogs/frmInfo.h"

#include "controls/WinColor.h"
#include "ui/dialogs/DialogLayout.h"
#include "ui/dialogs/DialogParts.h"
#include "ui/dialogs/ShowModeless.h"
#include "ui/main/OtherWindows.h"

#include "ProductInfo.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>

namespace {

// Held as a QWidget: events sent while it is torn down must not see the box.
QPointer<QWidget>& Current()
{
    static QPointer<QWidget> info;
    return info;
}

QFont InfoFont(const QString& family, double points, bool bold)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

const char* const Credits =
    "Sarovin ist mit diesen freien Bibliotheken gebaut:\n"
    "\n"
    "Qt 6 (GNU LGPL 3)\n"
    "FFmpeg (GNU LGPL 2.1 oder neuer)\n"
    "SDL2 (zlib-Lizenz)\n"
    "KissFFT (BSD-Lizenz)\n"
    "TagLib (GNU LGPL 2.1 oder MPL 1.1)\n"
    "Xlib (MIT/X11-Lizenz)\n"
    "\n"
    "Vielen Dank allen, die daran mitarbeiten.";

} // namespace

frmInfo::frmInfo(QWidget* owner)
    : QDialog(owner, FixedDialogFlags),
      Label1(new QLabel(QStringLiteral("Trelmund"), this)),
      Label2(new QLabel(ProductName(), this)),
      Label3(new QLabel(QStringLiteral("Version:"), this)),
      Label4(new QLabel(ProductVersionText(), this)),
      Label7(new QLabel(QStringLiteral("Credits:"), this)),
      Text1(new QTextEdit(this)),
      Command1(new QPushButton(QStringLiteral("&OK"), this))
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetBackground(*this, Qt::white);
    setFixedSize(TwipsSize(*this, 6255, 4410));

    // The side picture: a strip in the program's blue.
    auto* side = new QFrame(this);
    side->setGeometry(TwipsRect(*this, 0, 0, 2310, 4410));
    SetBackground(*side, WinColorToQColor(0xBD8250));

    auto* rule = new QFrame(this);
    const QRect at = TwipsRect(*this, 2310, 1080, 0, 0);
    rule->setGeometry(at.x(), at.y(), width() - at.x(), 1);
    SetBackground(*rule, Qt::black);

    const QFont heading = InfoFont(QStringLiteral("Century Gothic"), 18, true);
    const QFont text = InfoFont(QStringLiteral("Arial"), 9.75, false);
    const struct {
        QWidget* w;
        const char* name;
        double x, y, width, height; // 0 width: as wide as its text
        const QFont& font;
    } places[] = {
        {Label1, "Label1", 2520, 120, 3615, 495, heading}, {Label2, "Label2", 2520, 600, 3615, 495, heading},
        {Label3, "Label3", 2520, 1800, 0, 0, text},        {Label4, "Label4", 3840, 1800, 0, 0, text},
        {Label7, "Label7", 2520, 2160, 0, 0, text},        {Text1, "Text1", 2400, 2400, 3735, 1455, text},
        {Command1, "Command1", 4920, 3960, 1215, 315, text},
    };
    for (const auto& p : places) {
        p.w->setObjectName(QString::fromLatin1(p.name));
        p.w->setFont(p.font);
        if (p.width > 0) {
            p.w->setGeometry(TwipsRect(*this, p.x, p.y, p.width, p.height));
        } else {
            p.w->adjustSize();
            p.w->move(TwipsRect(*this, p.x, p.y, 0, 0).topLeft());
        }
    }
    QPalette titlePal = Label1->palette();
    titlePal.setColor(QPalette::WindowText, WinColorToQColor(0x0400BD));
    Label1->setPalette(titlePal);
    Label2->setPalette(titlePal);

    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    Text1->setPlainText(QString::fromUtf8(Credits));

    // Enter and Escape both close the box.
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    CentreOnScreen(*this);
}

frmInfo* InfoWindow()
{
    return qobject_cast<frmInfo*>(Current().data());
}

void OpenInfo()
{
    if (!InfoWindow()) Current() = new frmInfo(MainWindowOwner());
    ShowModeless(InfoWindow());
}

void UnloadInfo()
{
    delete Current().data();
}
