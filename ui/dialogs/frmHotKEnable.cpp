#include "ui/dialogs/frmHotKEnable.h"

#include "core/HotKeys.h"
#include "platform/KeyState.h"
#include "ui/dialogs/TwipsGeometry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

bool IsMouseButton(int code)
{
    return code == 1 || code == 2 || code == 4 || code == 5 || code == 6;
}

} // namespace

QString HeldKeysText(const std::vector<int>& held)
{
    std::vector<int> codes;
    for (int code : held)
        if (code >= 1 && code <= 254 && !IsMouseButton(code)) codes.push_back(code);
    return HotKeyText(std::move(codes));
}

QString NextCaptureText(const QString& shown, const std::vector<int>& held)
{
    const QString text = HeldKeysText(held);
    return text.size() > shown.size() ? text : shown;
}

frmHotKEnable::frmHotKEnable(QWidget* owner, std::function<bool(bool)> setHotKeyTimer)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      setHotKeyTimer_(std::move(setHotKeyTimer))
{
    setObjectName(QStringLiteral("frmHotKEnable"));
    setFont(FormFont());
    setWindowTitle(QStringLiteral("HotKey ändern..."));
    SizeTwips(this, 4455, 1455);

    Label1 = new QLabel(QStringLiteral("Geben Sie nun die gewünschte Tastenkombination ein."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    PlaceTwips(Label1, 120, 45, 4215, 420);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.75);
    Text1->setFont(font);
    PlaceTwips(Text1, 120, 480, 4215, 375);

    Command3 = PlaceButton(this, QStringLiteral("&Löschen"), "Command3", 120, 960, 1335, 375);
    Command2 = PlaceButton(this, QStringLiteral("A&bbrechen"), "Command2", 1560, 960, 1335, 375);
    Command1 = PlaceButton(this, QStringLiteral("&OK"), "Command1", 3000, 960, 1335, 375);
    Command1->setDefault(true);
    // Keys held for the capture must not press the buttons.
    for (QPushButton* b : {Command1, Command2, Command3}) b->setFocusPolicy(Qt::NoFocus);

    connect(Command3, &QPushButton::clicked, this, [this] { Text1->clear(); });
    connect(Command2, &QPushButton::clicked, this, [this] {
        Cancelled = true;
        reject();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        Cancelled = false;
        accept();
    });

    if (setHotKeyTimer_) pollingWasOn_ = setHotKeyTimer_(false);
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &frmHotKEnable::Timer1_Timer);
    Timer1->start();
}

frmHotKEnable::~frmHotKEnable()
{
    if (setHotKeyTimer_) setHotKeyTimer_(pollingWasOn_);
}

void frmHotKEnable::Timer1_Timer()
{
    const QString next = NextCaptureText(Text1->text(), HeldKeys());
    if (next != Text1->text()) Text1->setText(next);
}
