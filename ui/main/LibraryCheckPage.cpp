#include "ui/main/LibraryCheckPage.h"

#include "core/Busy.h"
#include "core/LibraryTypes.h"
#include "core/Runtime.h"
#include "core/Units.h"
#include "ui/dialogs/HeldControls.h"

#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace {

const QString StartCaption = QStringLiteral("Analyse starten");
// The mark of a record whose file was found missing; it stands before any
// "Tag;" the tag editor appends.
const QString MissingMark = QStringLiteral("R");

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

LibraryCheckPage::LibraryCheckPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LibraryCheckPage"));
    setFixedSize(TwipsToPixels(9600, logicalDpiX()), TwipsToPixels(7560, logicalDpiY()));

    // No banner picture ships with the program: a band in its place.
    Image1 = MakeLabel(this, "Image1", QString());
    Image1->setScaledContents(true);
    Image1->setAutoFillBackground(true);
    Image1->setStyleSheet(QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
                                         "stop:0 #5082bd, stop:1 #c0c0ff)"));
    Place(Image1, 0, 0, 9495, 495);

    Label2 = MakeLabel(this, "Label2", QStringLiteral("Organisierungs-Tool"));
    Label2->setFont(QFont(QStringLiteral("Arial"), 12, QFont::Bold));
    Label2->setStyleSheet(QStringLiteral("color: white; background: transparent"));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Place(Label2, 120, 0, 9255, 495);

    lblOrgHome = MakeLabel(this, "lblOrgHome",
                           QStringLiteral("Mit diesem Tool können Sie Ihre Musikdatenbank pflegen und aufräumen. "
                                          "Klicken Sie auf 'Analyse starten' um die Datenbank zu analysieren. "
                                          "Anschliessend werden ihnen Verbesserungsvorschläge angezeigt."));
    Place(lblOrgHome, 120, 600, 9255, 615);

    lblOrgProcessing = MakeLabel(this, "lblOrgProcessing", QStringLiteral("Ihre Datenbank wird analysiert ..."));
    Place(lblOrgProcessing, 120, 600, 9255, 255);
    lblOrgProcessing->hide();

    pgbOrgProcessing = new QProgressBar(this);
    pgbOrgProcessing->setObjectName(QStringLiteral("pgbOrgProcessing"));
    pgbOrgProcessing->setTextVisible(false);
    Place(pgbOrgProcessing, 120, 900, 9255, 255);
    pgbOrgProcessing->hide();

    cmdOrgStart = new QPushButton(StartCaption, this);
    cmdOrgStart->setObjectName(QStringLiteral("cmdOrgStart"));
    Place(cmdOrgStart, 120, 1320, 1935, 375);

    lblOrgInfo = MakeLabel(this, "lblOrgInfo",
                           QStringLiteral("Unten sind die vorgeschlagenen Änderungen aufgelistet. Klicken Sie auf "
                                          "'Ausführen' um diese zu übernehmen."));
    Place(lblOrgInfo, 120, 1740, 9255, 405);
    lblOrgInfo->hide();

    txtOrgThings = new QPlainTextEdit(this);
    txtOrgThings->setObjectName(QStringLiteral("txtOrgThings"));
    txtOrgThings->setPlainText(QStringLiteral("(keine Änderungen)\n"));
    Place(txtOrgThings, 120, 2160, 9255, 4815);
    txtOrgThings->hide();

    cmdOrgExecute = new QPushButton(QStringLiteral("Änderungen übernehmen"), this);
    cmdOrgExecute->setObjectName(QStringLiteral("cmdOrgExecute"));
    Place(cmdOrgExecute, 6600, 7080, 2775, 375);
    cmdOrgExecute->hide();

    connect(cmdOrgStart, &QPushButton::clicked, this, [this] { cmdOrgStart_Click(); });
}

void LibraryCheckPage::Place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(TwipsToPixels(left, logicalDpiX()), TwipsToPixels(top, logicalDpiY()),
                   TwipsToPixels(width, logicalDpiX()), TwipsToPixels(height, logicalDpiY()));
}

void LibraryCheckPage::showEvent(QShowEvent* event)
{
    // The home text takes three lines in the fonts found on Linux, more than
    // its designed height: the label grows to its text, in the font it is shown in.
    lblOrgHome->resize(lblOrgHome->width(),
                       std::max(TwipsToPixels(615, logicalDpiY()), lblOrgHome->heightForWidth(lblOrgHome->width())));
    QWidget::showEvent(event);
}

void LibraryCheckPage::cmdOrgStart_Click()
{
    if (cmdOrgStart->text() != StartCaption) return;
    // Busy, with the caption left alone: no synchronisation may replace the
    // library (and drop the marks) while the walk pumps.
    BusyGuard busy;
    if (!busy.Acquired()) {
        ShowBusyMessage();
        return;
    }

    lblOrgHome->hide();
    lblOrgProcessing->show();
    cmdOrgStart->setText(QStringLiteral("Abbrechen"));
    DisableHoldingFocus(cmdOrgStart);
    const qsizetype records = Library.Files.size();
    pgbOrgProcessing->setRange(0, int(records));
    pgbOrgProcessing->setValue(0);
    pgbOrgProcessing->show();

    const QPointer<LibraryCheckPage> self(this);
    int missing = 0;
    // The library may shrink under a pump: its size is read again each time.
    for (qsizetype i = 0; i < records && i < Library.Files.size(); ++i) {
        LibraryEntry& entry = Library.Files[i];
        if (!entry.FileName.isEmpty()) {
            const bool marked = entry.Actions.startsWith(MissingMark);
            if (QFileInfo(entry.FileName).isFile()) {
                if (marked) entry.Actions.remove(0, MissingMark.size());
            } else {
                // Only the mark changes: "Tag;" is the one trace of tags not yet in the file.
                if (!marked) entry.Actions.prepend(MissingMark);
                ++missing;
            }
        }
        pgbOrgProcessing->setValue(int(i + 1));
        Pump();
        if (!self) return;
    }

    txtOrgThings->setPlainText(QString::number(missing)
                               + QStringLiteral("Titel existieren nicht. Aus Datenbank entfernen."));
    pgbOrgProcessing->hide();
    lblOrgProcessing->hide();
    lblOrgInfo->show();
    txtOrgThings->show();
    cmdOrgExecute->show();
    lblOrgHome->show();
    cmdOrgStart->setText(StartCaption);
    EnableHoldingFocus(cmdOrgStart);
}
