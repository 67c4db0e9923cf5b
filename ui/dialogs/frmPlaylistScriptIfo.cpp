#include "ui/dialogs/frmPlaylistScriptIfo.h"

#include "core/Units.h"
#include "ui/dialogs/DialogParts.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmPlaylistScriptIfo::frmPlaylistScriptIfo(QWidget* owner)
    : QDialog(owner, FixedDialogFlags)
{
    setObjectName(QStringLiteral("frmPlaylistScriptIfo"));
    setWindowTitle(QStringLiteral("Dynamische Playlist - Syntax-Info"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(TwipsToPixels(5895, logicalDpiX()), TwipsToPixels(8055, logicalDpiY()));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeInfoFrame(
        QStringLiteral("Die Filterkriterien einer dynamischen Wiedergabeliste werden in einer art Scriptsprache "
                       "festgelegt. "),
        this));
    auto* intro = new QLabel(QStringLiteral(
        "Sie können beliebige vordefinierte Kriterien zu ihrer Playlist hinzufügen und diese beliebig verändern. "
        "Achten Sie dabei darauf, dass zwischen zwei Kriterien immer ein Zeilenumbruch ist. "));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addWidget(new QLabel(QStringLiteral("Beispiele:")));
    const struct { const char* criterion; const char* meaning; } examples[] = {
        {"10 top timesplayed", "Zeigt die 10 meistgespielten Titel an."},
        {"artist=*seeed*", "Zeigt alle Titel an die im Interpret \"seeed\" enthalten."},
        {"50 top timeplayed", "Zeigt die 50 zuletzt gespielten Titel an."},
        {"filename=*.ogg", "Zeigt alle Titel mit der Dateiendung *.ogg an."},
    };
    for (const auto& e : examples) {
        layout->addWidget(MakeBoldLabel(QString::fromUtf8(e.criterion)));
        auto* meaning = new QLabel(QString::fromUtf8(e.meaning));
        meaning->setIndent(TwipsToPixels(240, logicalDpiX()));
        layout->addWidget(meaning);
    }

    auto* frame = new QGroupBox(QStringLiteral("Vordefinierte Kriterien"));
    auto* frameLayout = new QVBoxLayout(frame);
    auto* note = new QLabel(
        QStringLiteral("Doppelklick auf einen Eintrag in der Liste, um diesen in die Zwischenablage zu kopieren."));
    note->setWordWrap(true);
    frameLayout->addWidget(note);
    List2 = new QListWidget;
    List2->setObjectName(QStringLiteral("List2"));
    List2->addItems({
        QStringLiteral("10 top timesplayed"), QStringLiteral("20 top timeplayed"), QStringLiteral("artist=*seeed*"),
        QStringLiteral("title=*?"), QStringLiteral("filename=*.ogg"), QStringLiteral("album=The Matrix Reloaded"),
        QStringLiteral("rating>3"), QStringLiteral("rating>=3"), QStringLiteral("rating=5"),
        QStringLiteral("rating<2"), QStringLiteral("rating<=4"), QStringLiteral("year>2003"),
        QStringLiteral("year=2005"), QStringLiteral("year<>2000"), QStringLiteral("genre<>*hip*hop*"),
        QStringLiteral("bitrate>=128"), QStringLiteral("track<>"), QStringLiteral("33 top addtime"),
    });
    frameLayout->addWidget(List2, 1);
    layout->addWidget(frame, 1);

    cmdClose = MakeButton(QStringLiteral("S&chliessen"), "cmdClose");
    cmdClose->setDefault(true);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);

    // Esc rejects, which closes (and deletes) the window as the button does.
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(List2, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(item->text());
    });
}
