#include "ui/dialogs/frmAudioProperties.h"

#include "audio/fmodAudio.h"
#include "core/DbText.h"
#include "core/Genres.h"
#include "core/LibrarySync.h"
#include "core/TagSave.h"
#include "core/UiServices.h"
#include "core/Units.h"
#include "ui/dialogs/TagEditorHost.h"
#include "ui/dialogs/DialogParts.h"
#include "ui/dialogs/ShowModeless.h"
#include "ui/main/OtherWindows.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

TagEditorHost* g_host = nullptr;
QPointer<frmAudioProperties> g_editor;

const QString PendingMark = QStringLiteral("Tag");

QLabel* AddFact(QGridLayout* grid, int row, const QString& caption, const char* name)
{
    grid->addWidget(new QLabel(caption), row, 0);
    auto* value = new QLabel;
    value->setObjectName(QLatin1String(name));
    grid->addWidget(value, row, 1);
    return value;
}

QLineEdit* AddEdit(QGridLayout* grid, int row, int col, const QString& caption, const char* name, int span = 1)
{
    grid->addWidget(new QLabel(caption), row, col);
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    grid->addWidget(edit, row, col + 1, 1, span);
    return edit;
}

} // namespace

void SetTagEditorHost(TagEditorHost* host)
{
    g_host = host;
}

TagEditorHost* CurrentTagEditorHost()
{
    return g_host;
}

frmAudioProperties* TagEditor()
{
    return g_editor.data();
}

frmAudioProperties::frmAudioProperties(QWidget* owner)
    : QDialog(owner, FixedDialogFlags)
{
    setObjectName(QStringLiteral("frmAudioProperties"));
    setWindowTitle(QStringLiteral("Eigenschaften"));
    setFixedSize(TwipsToPixels(7935, logicalDpiX()), TwipsToPixels(5295, logicalDpiY()));

    SSTab1 = new QTabWidget;
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    auto* general = new QWidget;
    auto* generalLayout = new QHBoxLayout(general);
    auto* cover = new QLabel(QStringLiteral("Kein Cover verfügbar"));
    cover->setObjectName(QStringLiteral("picCover"));
    cover->setAlignment(Qt::AlignCenter);
    cover->setFrameShape(QFrame::Box);
    cover->setStyleSheet(QStringLiteral("color: grey; font-weight: bold"));
    const int coverSide = TwipsToPixels(2400, logicalDpiX());
    cover->setFixedSize(coverSide, coverSide);
    generalLayout->addWidget(cover, 0, Qt::AlignTop);
    auto* facts = new QGridLayout;
    allBitrate = AddFact(facts, 0, QStringLiteral("Bitrate:"), "allBitrate");
    allDauer = AddFact(facts, 1, QStringLiteral("Dauer:"), "allDauer");
    allFormat = AddFact(facts, 2, QStringLiteral("Format:"), "allFormat");
    allTagVersion = AddFact(facts, 3, QStringLiteral("Tag-Version:"), "allTagVersion");
    allAdded = AddFact(facts, 4, QStringLiteral("Hinzugefügt:"), "allAdded");
    allLastPlayed = AddFact(facts, 5, QStringLiteral("Zuletzt gespielt:"), "allLastPlayed");
    allCounter = AddFact(facts, 6, QStringLiteral("Zähler:"), "allCounter");
    facts->setColumnStretch(1, 1);
    facts->setRowStretch(7, 1);
    generalLayout->addLayout(facts, 1);
    SSTab1->addTab(general, QStringLiteral("Allgemein"));

    auto* tags = new QWidget;
    auto* grid = new QGridLayout(tags);
    tagTitel = AddEdit(grid, 0, 0, QStringLiteral("Titel:"), "tagTitel", 3);
    tagArtist = AddEdit(grid, 1, 0, QStringLiteral("Arist:"), "tagArtist", 3);
    tagAlbum = AddEdit(grid, 2, 0, QStringLiteral("Album:"), "tagAlbum", 3);
    grid->addWidget(new QLabel(QStringLiteral("Genre:")), 3, 0);
    tagGenre = new QComboBox;
    tagGenre->setObjectName(QStringLiteral("tagGenre"));
    tagGenre->setEditable(true);
    tagGenre->setInsertPolicy(QComboBox::NoInsert);
    tagGenre->addItems(GenreNames());
    grid->addWidget(tagGenre, 3, 1);
    tagYear = AddEdit(grid, 3, 2, QStringLiteral("Jahr:"), "tagYear");
    grid->addWidget(new QLabel(QStringLiteral("Bewertung:")), 4, 0);
    tagRating = new QComboBox;
    tagRating->setObjectName(QStringLiteral("tagRating"));
    tagRating->addItems({QStringLiteral("0 unbewertet"), QStringLiteral("1 *"), QStringLiteral("2 * *"),
                         QStringLiteral("3 * * *"), QStringLiteral("4 * * * *"), QStringLiteral("5 * * * * *")});
    grid->addWidget(tagRating, 4, 1);
    tagTrack = AddEdit(grid, 4, 2, QStringLiteral("Nr.:"), "tagTrack");
    const int narrow = TwipsToPixels(855, logicalDpiX());
    tagYear->setFixedWidth(narrow);
    tagTrack->setFixedWidth(narrow);
    tagComment = AddEdit(grid, 5, 0, QStringLiteral("Kommentar:"), "tagComment", 3);
    FileName = AddEdit(grid, 6, 0, QStringLiteral("Speicherort:"), "FileName", 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(7, 1);
    SSTab1->addTab(tags, QStringLiteral("Tag-Editor"));

    SSTab1->addTab(new QWidget, QStringLiteral("Erweitert"));

    cmdClose = MakeButton(QStringLiteral("S&chliessen"), "cmdClose");
    cmdPrev = MakeButton(QStringLiteral("&Vorheriger"), "cmdPrev");
    cmdNext = MakeButton(QStringLiteral("&Nächster"), "cmdNext");
    cmdSave = MakeButton(QStringLiteral("&Speichern"), "cmdSave");
    cmdNext->setDefault(true);
    cmdSave->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdClose);
    buttons->addStretch(1);
    buttons->addWidget(cmdPrev);
    buttons->addWidget(cmdNext);
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1, 1);
    layout->addLayout(buttons);

    for (QLineEdit* edit : {tagTitel, tagArtist, tagAlbum, tagYear, tagTrack, tagComment})
        connect(edit, &QLineEdit::textChanged, this, [this] { WriteChanges(); });
    connect(tagGenre, &QComboBox::currentTextChanged, this, [this] { WriteChanges(); });
    connect(tagRating, &QComboBox::currentIndexChanged, this, [this] { WriteChanges(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdNext, &QPushButton::clicked, this, [this] { StepTo(+1); });
    connect(cmdPrev, &QPushButton::clicked, this, [this] { StepTo(-1); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { SaveTag(); });

    // A synchronisation replaces Library: keep editing the same file, not the index.
    librarySub_ = SubscribeLibraryReplaced([this](const LibraryDatabase& previous) { OnLibraryReplaced(previous); });
    g_editor = this;
    if (g_host) g_host->SetTagEditorOpen(true);
}

frmAudioProperties::~frmAudioProperties()
{
    if (g_editor == this) {
        g_editor = nullptr;
        if (g_host) g_host->SetTagEditorOpen(false);
    }
}

bool frmAudioProperties::ShowProps(int32_t index)
{
    if (!IsValidLibraryIndex(Library, index)) return false;
    // The row the main list moves to while a save runs is shown once it ended.
    if (saving_) {
        showAfterSave_ = index;
        return true;
    }
    Ready = false;
    ShownIndex = index;
    const LibraryEntry entry = Library.Files[index];

    allBitrate->setText(QString::number(entry.Tags.Bitrate) + QStringLiteral(" kbps"));
    allDauer->setText(FormatDuration(entry.Tags.Lenght));
    allFormat->setText(entry.Tags.Format);
    allTagVersion->setText(entry.TagVer);
    allAdded->setText(DbValueText(entry.AddTime));
    allLastPlayed->setText(DbValueText(entry.PlayTime));
    allCounter->setText(QString::number(entry.PlayCNT));

    // setText leaves the caret at the end, which scrolls a long text to its
    // end: every box shows the start of what it holds.
    const auto fill = [](QLineEdit* box, const QString& text) {
        box->setText(text);
        box->setCursorPosition(0);
    };
    fill(tagAlbum, entry.Tags.Album);
    fill(tagArtist, entry.Tags.Artist);
    fill(tagComment, entry.Tags.Comment);
    tagGenre->setCurrentText(entry.Tags.Genre);
    tagGenre->lineEdit()->setCursorPosition(0);
    // A rating outside the list selects nothing, so no edit overwrites it.
    tagRating->setCurrentIndex(entry.Rating >= 0 && entry.Rating < tagRating->count() ? entry.Rating : -1);
    fill(tagTitel, entry.Tags.Title);
    fill(tagTrack, entry.Tags.Track);
    fill(tagYear, entry.Tags.Year);
    fill(FileName, entry.FileName);

    cmdSave->setEnabled(entry.Actions.contains(PendingMark));
    Ready = true;
    return true;
}

void frmAudioProperties::WriteChanges()
{
    if (!Ready || !IsValidLibraryIndex(Library, ShownIndex)) return;
    // A fresh copy: members changed elsewhere meanwhile (the play counter) stay.
    LibraryEntry entry = Library.Files[ShownIndex];
    if (!entry.Actions.contains(PendingMark)) entry.Actions += QStringLiteral("Tag;");
    entry.Tags.Album = tagAlbum->text();
    entry.Tags.Artist = tagArtist->text();
    entry.Tags.Comment = tagComment->text();
    entry.Tags.Genre = tagGenre->currentText();
    if (tagRating->currentIndex() >= 0) entry.Rating = int16_t(tagRating->currentIndex());
    entry.Tags.Title = tagTitel->text();
    entry.Tags.Track = tagTrack->text();
    entry.Tags.Year = tagYear->text();
    Library.Files[ShownIndex] = std::move(entry);
    MarkLibraryChanged();
    cmdSave->setEnabled(true);
}

void frmAudioProperties::StepTo(int32_t delta)
{
    TagEditorHost* host = g_host;
    if (!host) return;
    int32_t row = host->SelectedIndex() + delta;
    if (delta > 0 && row > host->ItemCount()) row = host->ItemCount();
    if (row < 0) row = 0;
    host->SetSelectedIndex(row);
    // An empty view's key -1 shows nothing.
    ShowProps(host->SelectedKey());
}

void frmAudioProperties::SaveTag()
{
    if (saving_ || !IsValidLibraryIndex(Library, ShownIndex)) return;
    const QString caption = QStringLiteral("Eigenschaften");
    const int32_t index = ShownIndex;
    // The save turns the event loop: it works on a copy of the record, and the
    // editor takes no input until it ended.
    LibraryEntry record = Library.Files[index];
    const TagInfo written = record.Tags;
    QPointer<frmAudioProperties> self(this);
    saving_ = true;
    showAfterSave_ = index;
    setEnabled(false);
    const TagSaveResult result = SaveTags(record);
    // The mark goes only from the record whose edit is in the file now.
    const auto sameEdit = [&](const TagInfo& t) {
        return t.Title == written.Title && t.Artist == written.Artist && t.Album == written.Album &&
               t.Year == written.Year && t.Comment == written.Comment && t.Genre == written.Genre &&
               t.Track == written.Track;
    };
    if (result == TagSaveResult::Saved && IsValidLibraryIndex(Library, index) &&
        Library.Files[index].FileName == record.FileName && sameEdit(Library.Files[index].Tags)) {
        Library.Files[index].Actions.remove(QStringLiteral("Tag;"));
        MarkLibraryChanged();
    }
    // An exit closed the editor meanwhile.
    if (!self) return;
    saving_ = false;
    setEnabled(true);
    switch (result) {
    case TagSaveResult::Saved:
        break;
    case TagSaveResult::FormatNotSupported:
        MsgBox(QStringLiteral("Dieses Dateiformat kann keine ID3v1-Tags aufnehmen. "
                              "Die Änderungen bleiben in der Bibliothek."),
               48, caption);
        break;
    case TagSaveResult::Failed:
        MsgBox(QStringLiteral("Die Tags konnten nicht in die Datei geschrieben werden."), 16, caption);
        break;
    }
    if (!self) return;
    // The box may have let a synchronisation run: ShownIndex follows it.
    if (g_host && IsValidLibraryIndex(Library, ShownIndex)) g_host->RecordChanged(ShownIndex);
    // A close asked for during the save comes after its message.
    if (closeAfterSave_) {
        close();
        return;
    }
    ShowProps(showAfterSave_ == index ? ShownIndex : showAfterSave_);
}

void frmAudioProperties::OnLibraryReplaced(const LibraryDatabase& previous)
{
    if (ShownIndex < 0) return;
    const int32_t now = RemapLibraryIndex(previous, ShownIndex);
    if (now >= 0 && ShowProps(now)) return;
    // The file left the library: what is typed now belongs to no record.
    ShownIndex = -1;
    cmdSave->setEnabled(false);
}

void frmAudioProperties::closeEvent(QCloseEvent* event)
{
    // Closed once the save ended, unless an exit ended the save already.
    if (saving_ && TagSaveRunning()) {
        closeAfterSave_ = true;
        event->ignore();
        return;
    }
    librarySub_.Reset();
    if (g_editor == this) {
        g_editor = nullptr;
        if (g_host) g_host->SetTagEditorOpen(false);
    }
    event->accept();
    deleteLater();
}

void frmAudioProperties::reject()
{
    close();
}

bool OpenTagEditor(int32_t index)
{
    // Nothing to show: no window is loaded for it, which would follow the list unseen.
    if (!IsValidLibraryIndex(Library, index)) return false;
    frmAudioProperties* editor = g_editor ? g_editor.data() : new frmAudioProperties(MainWindowOwner());
    editor->ShowProps(index);
    editor->SSTab1->setCurrentIndex(1);
    ShowModeless(editor);
    return true;
}

void TagEditorShowProps(int32_t index)
{
    if (g_editor) g_editor->ShowProps(index);
}

void UnloadTagEditor()
{
    if (g_editor) g_editor->close();
}
