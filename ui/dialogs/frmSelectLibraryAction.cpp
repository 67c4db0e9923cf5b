#include "ui/dialogs/frmSelectLibraryAction.h"

#include "platform/ExecModal.h"
#include "ui/dialogs/TwipsGeometry.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// The captions are longer than a line of the window; they wrap.
class WrapRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_RadioButton, option);
        const QRect area = style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
        style()->drawItemText(&painter, area, Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                              option.palette, isEnabled(), caption, QPalette::WindowText);
    }
};

} // namespace

frmSelectLibraryAction::frmSelectLibraryAction(QWidget* owner)
    : QDialog(owner, FixedDialogFlags)
{
    setObjectName(QStringLiteral("frmSelectLibraryAction"));
    setFont(FormFont());
    setWindowTitle(QStringLiteral("Audio-Bibliothek - Synchronisierung"));
    SizeTwips(this, 4680, 3255);

    Label1 = new QLabel(QStringLiteral("Sie haben die Synchronisationspfade der Audio-Bibliothek verändert. Es wird "
                                       "empfohlen die Bibliothek jetzt zu synchronisieren. Was möchten Sie tun?"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(Label1, 360, 120, 3975, 855);

    const auto option = [this](const char* name, const QString& text, int top) {
        auto* b = new WrapRadioButton(text, this);
        b->setObjectName(QLatin1String(name));
        PlaceTwips(b, 360, top, 3975, 465);
        return b;
    };
    Option1 = option("Option1", QStringLiteral("Die gesamte Bibliothek neu laden"), 1020);
    Option2 = option("Option2",
                     QStringLiteral("Die neuen Pfade hinzufügen und Dateien in nicht-Bibliothek-Verzeichnissen "
                                    "entfernen."),
                     1500);
    Option3 = option("Option3", QStringLiteral("Nichts verändern"), 1980);
    Option1->setChecked(true);
    Option2->setEnabled(false);

    Command1 = PlaceButton(this, QStringLiteral("&OK"), "Command1", 1680, 2640, 1335, 375);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
}

int frmSelectLibraryAction::Answer() const
{
    if (result() != QDialog::Accepted) return 3;
    if (Option1->isChecked()) return 1;
    if (Option2->isChecked()) return 2;
    return 3;
}

int AskLibraryAction(QWidget* owner)
{
    frmSelectLibraryAction dialog(owner);
    ExecModal(dialog);
    return dialog.Answer();
}
