#include "ui/dialogs/frmPlaylistDynamic.h"

#include "core/UiServices.h"
#include "core/Units.h"
#include "ui/dialogs/DialogParts.h"
#include "ui/dialogs/frmPlaylistScriptIfo.h"
#include "ui/dialogs/ShowModeless.h"
#include "ui/main/OtherWindows.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPointer<frmPlaylistDynamic> g_editor;

// The settings file stores a text in at most this many UTF-8 bytes.
constexpr int MaxStoredTextBytes = 65535;

} // namespace

QString QueryToEditText(const QString& query)
{
    QString text = query;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString EditTextToQuery(const QString& text)
{
    QString query = QueryToEditText(text);
    query.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return query;
}

frmPlaylistDynamic* PlaylistEditor()
{
    return g_editor.data();
}

frmPlaylistDynamic::frmPlaylistDynamic(std::function<void()> afterWriteBack, QWidget* owner)
    : QDialog(owner, FixedDialogFlags),
      afterWriteBack_(std::move(afterWriteBack))
{
    setObjectName(QStringLiteral("frmPlaylistDynamic"));
    setWindowTitle(QStringLiteral("Dynamische Wiedergabelisten"));
    setFixedSize(TwipsToPixels(6135, logicalDpiX()), TwipsToPixels(8775, logicalDpiY()));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeInfoFrame(
        QStringLiteral("Eine dynamische Wiedergabeliste ist eine automatisch generierte Liste mit Titeln die "
                       "bestimmten Filterkriterien entsprechen. Die Wiedergabeliste wird bei jedem Aufruf anhand "
                       "der Datenbank neu generiert. Dies ermöglicht es, zum Beispiel eine Wiedergabeliste mit den "
                       "Titeln zu erstellen die als letztes gespielt wurden."),
        this));

    auto* listFrame = new QGroupBox(QStringLiteral("Ihre dynamischen Wiedergabelisten"));
    auto* listLayout = new QVBoxLayout(listFrame);
    List1 = new QListWidget;
    List1->setObjectName(QStringLiteral("List1"));
    listLayout->addWidget(List1);
    layout->addWidget(listFrame, 1);

    cmdDelete = MakeButton(QStringLiteral("&Löschen"), "cmdDelete");
    cmdNew = MakeButton(QStringLiteral("&Neu"), "cmdNew");
    auto* listButtons = new QHBoxLayout;
    listButtons->addStretch(1);
    listButtons->addWidget(cmdDelete);
    listButtons->addWidget(cmdNew);
    layout->addLayout(listButtons);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setStyleSheet(QStringLiteral("color: #c0c0c0"));
    layout->addWidget(rule);

    auto* entryFrame = new QGroupBox(QStringLiteral("Diese Playlist"));
    auto* entryLayout = new QVBoxLayout(entryFrame);
    entryLayout->addWidget(MakeBoldLabel(QStringLiteral("Name")));
    Text2 = new QLineEdit;
    Text2->setObjectName(QStringLiteral("Text2"));
    entryLayout->addWidget(Text2);
    entryLayout->addWidget(MakeBoldLabel(QStringLiteral("Filterkriterien")));
    Text1 = new QPlainTextEdit;
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setTabChangesFocus(true);
    entryLayout->addWidget(Text1, 1);
    cmdHelp = MakeButton(QStringLiteral("Wie muss ich das schreiben?"), "cmdHelp");
    cmdTakeOver = MakeButton(QStringLiteral("&Änderungen übernehmen"), "cmdTakeOver");
    auto* entryButtons = new QHBoxLayout;
    entryButtons->addWidget(cmdHelp);
    entryButtons->addStretch(1);
    entryButtons->addWidget(cmdTakeOver);
    entryLayout->addLayout(entryButtons);
    layout->addWidget(entryFrame, 1);

    cmdClose = MakeButton(QStringLiteral("S&chliessen"), "cmdClose");
    layout->addWidget(cmdClose, 0, Qt::AlignRight);

    connect(List1, &QListWidget::currentRowChanged, this, [this](int row) { ShowEntry(row); });
    connect(cmdNew, &QPushButton::clicked, this, [this] { AddNew(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(cmdTakeOver, &QPushButton::clicked, this, [this] { TakeOver(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    for (const DynPlaylist& slot : Settings.DynPlaylists)
        if (!slot.Name.isEmpty()) EditList.append(slot);
    ActList1();
    CurrentIndex = 0;
    List1->setCurrentRow(0);
    UpdateEnabled();
    g_editor = this;
}

frmPlaylistDynamic::~frmPlaylistDynamic()
{
    if (g_editor == this) g_editor = nullptr;
}

void frmPlaylistDynamic::ActList1()
{
    const int selected = List1->currentRow();
    {
        const QSignalBlocker quiet(List1);
        List1->clear();
        for (const DynPlaylist& p : EditList) List1->addItem(p.Name);
    }
    List1->setCurrentRow(selected);
    UpdateEnabled();
}

void frmPlaylistDynamic::ShowEntry(int row)
{
    if (row < 0 || row >= EditList.size()) return;
    CurrentIndex = int16_t(row);
    Text2->setText(EditList[row].Name);
    Text1->setPlainText(QueryToEditText(EditList[row].Query));
}

void frmPlaylistDynamic::UpdateEnabled()
{
    // With no entry there is nothing the fields could be taken over into.
    const bool any = !EditList.isEmpty();
    Text2->setEnabled(any);
    Text1->setEnabled(any);
    cmdTakeOver->setEnabled(any);
    // The table has DynPlaylistCount slots; more would be dropped on closing.
    cmdNew->setEnabled(EditList.size() < DynPlaylistCount);
}

void frmPlaylistDynamic::AddNew()
{
    if (EditList.size() >= DynPlaylistCount) return;
    EditList.append(DynPlaylist{QStringLiteral("Neue Playlist"), QString()});
    ActList1();
    List1->setCurrentRow(int(EditList.size()) - 1);
}

void frmPlaylistDynamic::DeleteSelected()
{
    const int row = List1->currentRow();
    if (row < 0 || row >= EditList.size() || EditList.size() < 2) return;
    EditList.remove(row);
    ActList1();
    List1->setCurrentRow(0);
    ShowEntry(0);
}

void frmPlaylistDynamic::TakeOver()
{
    if (CurrentIndex < 0 || CurrentIndex >= EditList.size()) return;
    // A name is one line: a pasted line break becomes a blank.
    QString name = Text2->text();
    name.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    const QString query = EditTextToQuery(Text1->toPlainText());
    if (name.toUtf8().size() > MaxStoredTextBytes || query.toUtf8().size() > MaxStoredTextBytes) {
        MsgBox(QStringLiteral("Der Text ist zu lang und wurde nicht übernommen."), 48,
               QStringLiteral("Dynamische Wiedergabelisten"));
        return;
    }
    EditList[CurrentIndex] = DynPlaylist{name, query};
    ActList1();
}

frmPlaylistScriptIfo* frmPlaylistDynamic::HelpWindow() const
{
    return help_.data();
}

void frmPlaylistDynamic::ShowHelp()
{
    if (!help_) help_ = new frmPlaylistScriptIfo(this);
    ShowModeless(help_);
}

void frmPlaylistDynamic::WriteBack()
{
    if (writtenBack_) return;
    writtenBack_ = true;
    for (int i = 0; i < DynPlaylistCount; ++i)
        Settings.DynPlaylists[i] = i < EditList.size() ? EditList[i] : DynPlaylist{};
    if (afterWriteBack_) afterWriteBack_();
}

void frmPlaylistDynamic::closeEvent(QCloseEvent* event)
{
    if (g_editor == this) g_editor = nullptr;
    WriteBack();
    event->accept();
    deleteLater();
}

void frmPlaylistDynamic::reject()
{
    close();
}

void OpenPlaylistEditor()
{
    if (!g_editor) new frmPlaylistDynamic(LoadFunctionTree, MainWindowOwner());
    ShowModeless(g_editor);
}

void UnloadPlaylistEditor()
{
    if (g_editor) g_editor->close();
}
