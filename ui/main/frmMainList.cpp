// The main window as host of the library list, its summary box and the search box.
#include "ui/main/frmMain.h"

#include "audio/fmodAudio.h"
#include "controls/WinColor.h"
#include "core/DbText.h"
#include "core/LibrarySync.h"
#include "core/PlayingQueue.h"
#include "core/Search.h"
#include "core/Settings.h"
#include "core/SizeText.h"
#include "core/VbHelpers.h"
#include "ui/main/OtherWindows.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kColumns = 14;
constexpr qsizetype kSearchTextSlice = 1000;  // records per idle slice, about a millisecond

const ListEntry& View()
{
    static const ListEntry empty{QString(), {-1}};
    const auto& entries = Library.ListSets[ViewList].Entries;
    return entries.isEmpty() ? empty : entries[0];
}

ListEntry& ViewForWrite()
{
    auto& entries = Library.ListSets[ViewList].Entries;
    if (entries.isEmpty()) entries.resize(1);
    return entries[0];
}

int32_t KeyIndex(const ListCell& key)
{
    if (key.IsEmpty()) return -1;  // a row never answered is no title
    return key.IsNumber() ? int32_t(key.Number()) : RoundToInt32(Val(key.Text()));
}

// Query field behind a column for the Ctrl+click filter; none for the others.
QString FilterField(int column)
{
    switch (column) {
    case 1: return QStringLiteral("title");
    case 2: return QStringLiteral("artist");
    case 3: return QStringLiteral("album");
    case 4: return QStringLiteral("genre");
    case 5: return QStringLiteral("duration");
    case 6: return QStringLiteral("rating");
    case 10: return QStringLiteral("year");
    case 13: return QStringLiteral("timesplayed");
    default: return {};
    }
}

void SetBase(QWidget* w, uint32_t color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, WinColorToQColor(color));
    w->setPalette(pal);
}

} // namespace

// ---- Rows ----------------------------------------------------------------------

bool frmMain::NeedData(qint32 index, QList<ListCell>& data, ListCell& key)
{
    const ListEntry& view = View();
    if (index < 0 || index >= view.Items.size()) return false;
    const int32_t k = view.Items[index];
    key = ListCell(k);
    static const LibraryEntry empty;
    const LibraryEntry& e = IsValidLibraryIndex(Library, k) ? Library.Files[k] : empty;

    data = QList<ListCell>(16);  // cells not filled stay empty
    if (Val(e.Tags.Track) > 0) data[0] = ListCell(e.Tags.Track);
    data[1] = ListCell(e.Tags.Title);
    data[2] = ListCell(e.Tags.Artist);
    data[3] = ListCell(e.Tags.Album);
    data[4] = ListCell(e.Tags.Genre);
    data[5] = ListCell(FormatDuration(e.Tags.Lenght));
    data[6] = ListCell(QString(std::clamp<int>(e.Rating, 0, 5), QChar(171)));
    data[7] = ListCell(int(e.Tags.Bitrate));
    data[8] = ListCell(e.FileName);
    data[10] = ListCell(e.Tags.Year);
    data[11] = ListCell(e.Tags.Format);
    const auto played = DbValueDateTime(e.PlayTime);
    data[12] = ListCell(played ? QLocale().toString(*played, QLocale::ShortFormat) : DbValueText(e.PlayTime));
    data[13] = ListCell(int(e.PlayCNT));
    return true;
}

QString frmMain::TimeToText(double seconds)
{
    struct Level {
        double divisor;  // 0: the last level, no modulo
        const char16_t* unit;
        const char16_t* plural;
    };
    static constexpr Level kLevels[] = {
        {60, u"Sekunde", u"n"}, {60, u"Minute", u"n"}, {24, u"Stunde", u"n"}, {7, u"Tag", u"e"}, {0, u"Woche", u"n"}};
    double t = seconds;
    QString result;
    for (const Level& level : kLevels) {
        double v = t;
        if (level.divisor > 0) {
            v = t - VbInt(t / level.divisor) * level.divisor;
            t /= level.divisor;
        }
        if (v >= 1) {
            const double r = RoundHalfEven(v, 2);
            result = NumberText(r) + u' ' + QString::fromUtf16(level.unit);
            if (r > 1) result += QString::fromUtf16(level.plural);
        }
    }
    return result;
}

void frmMain::QV_ListControl1_ItemCountChange()
{
    const ListEntry& view = View();
    double seconds = 0, size = 0;
    int count = 0;
    for (const int32_t k : view.Items) {
        if (!IsValidLibraryIndex(Library, k)) continue;
        const LibraryEntry& e = Library.Files[k];
        seconds += e.Tags.Lenght;
        size += e.SizeInMB;
        ++count;
    }
    lblPLTitle->setText(view.Caption);
    if (count == 0) {
        lblPLDetails->setText(QStringLiteral("(keine Titel)"));
        return;
    }
    static const QStringList kUnits = {QStringLiteral("MB"), QStringLiteral("GB"), QStringLiteral("TB"),
                                       QStringLiteral("PB"), QStringLiteral("EB")};
    lblPLDetails->setText(QString::number(count) + QStringLiteral(" Titel\n") + TimeToText(seconds) + u'\n'
                          + SizeLadderText(size, kUnits));
}

// ---- Playing from the list -----------------------------------------------------

void frmMain::PlayViewFrom(int32_t key)
{
    SetPlayingHighlight(false);
    SetPlayingFromView();
    // The clicked title heads the queue, so "Audio:Next" goes on behind it.
    auto& queue = Library.ListSets[PlayingQueue].Entries[0].Items;
    if (IsOn(Settings.Shuffle)) {
        ShufflePlaying();
        SwapKeyToHead(queue, key);
    } else {
        RotateToKey(queue, key);
    }
    AudioPlay(key);
}

void frmMain::QV_ListControl1_ItemDblClick(const ListCell& key)
{
    PlayViewFrom(KeyIndex(key));
    QV_ListControl1->setFocus();
}

void frmMain::KeyDown(int& keyCode, int&)
{
    switch (keyCode) {
    case 32: Command(QStringLiteral("Audio:Pause")); break;
    case 39: Command(QStringLiteral("Audio:Next")); break;
    case 37: Command(QStringLiteral("Audio:Prev")); break;
    default: break;
    }
}

void frmMain::QV_ListControl1_ItemKeyDown(int keyCode, qint32, const ListCell& key)
{
    if (keyCode == 13) QV_ListControl1_ItemDblClick(key);
    QV_ListControl1->setFocus();
}

void frmMain::QV_ListControl1_ItemMouseUp(qint32 row, int column, const ListCell& key, int button, int shift)
{
    if (button == 1 && shift == 2) {
        const int32_t k = KeyIndex(key);
        const QString field = FilterField(column);
        if (!key.IsNumber() || !IsValidLibraryIndex(Library, k) || field.isEmpty()) return;
        const QString value = GetFieldValue(Library.Files[k], field).toString();
        FilterByFieldValue(Library, field, value);
        ListEntry& view = ViewForWrite();
        view.Caption = u'"' + value + u'"';
        SetViewCount(int32_t(view.Items.size()) - 1);
    } else if (button == 2) {
        // The menu's entries act on the selected row: the one clicked.
        QV_ListControl1->SetSelectedIndex(row);
        if (QMenu* menu = PopupMenu(QStringLiteral("mContextAudio"))) {
            menu->setDefaultAction(MenuAction(QStringLiteral("mCAPlay")));
            menu->popup(QCursor::pos());
        }
    }
}

void frmMain::QV_ListControl1_ItemSelect(qint32, int, const ListCell& key)
{
    const int32_t k = KeyIndex(key);
    if (k == -1 || !IsValidLibraryIndex(Library, k)) return;
    if (TagEditorOpen) TagEditorShowProps(k);
    for (int i = 0; i <= 5; ++i)
        if (QAction* a = MenuAction(QStringLiteral("mAudioRate"), i)) a->setChecked(Library.Files[k].Rating == i);
}

void frmMain::QV_ListControl1_HeaderMouseUp(qint32 column, int button)
{
    if (button == 1) {
        QV_ListControl1->SortAsColumn(column);
    } else if (button == 2) {
        if (QMenu* menu = PopupMenu(QStringLiteral("mViewColumns"))) menu->popup(QCursor::pos());
    }
}

void frmMain::ScrollUp() { QV_ListControl1->SetTopRow(qint64(QV_ListControl1->TopRow()) + 5); }
void frmMain::ScrollDown() { QV_ListControl1->SetTopRow(qint64(QV_ListControl1->TopRow()) - 5); }

void frmMain::SetPlayingHighlight(bool show)
{
    QV_ListControl1->SetHighlighted(show ? CurrentTrack : -1);
}

void frmMain::LoadColumnVisibility()
{
    for (int i = 0; i < kColumns; ++i) {
        const bool visible = IsOn(Settings.ColumnVisible[i]);
        if (QAction* a = MenuAction(QStringLiteral("mViewColumn"), i)) a->setChecked(visible);
        QV_ListControl1->SetColumnVisibility(i, visible);
    }
}

int32_t frmMain::SelectedIndex() { return QV_ListControl1->SelectedIndex(); }
void frmMain::SetSelectedIndex(int32_t row) { QV_ListControl1->SetSelectedIndex(row); }
int32_t frmMain::ItemCount() { return QV_ListControl1->ItemCount(); }

int32_t frmMain::SelectedKey()
{
    return QV_ListControl1->SelectedIndex() == -1 ? -1 : KeyIndex(QV_ListControl1->SelectedKey());
}

void frmMain::RecordChanged(int32_t index)
{
    QV_ListControl1->ForceReNewData(ListCell(qint64(index)));
}

// ---- Search box ----------------------------------------------------------------

void frmMain::txtSearch_Change()
{
    SetAudioMode();
    ShowSearchResult();
}

void frmMain::ShowSearchResult()
{
    QString q = Trim(txtSearch->text().toLower());
    while (q.contains(QStringLiteral("  "))) q.replace(QStringLiteral("  "), QStringLiteral(" "));
    // The records themselves, not copies: a copy would drop its search text.
    QVector<int32_t> items;
    const qsizetype n = Library.Files.size();
    for (qsizetype i = 0; i < n; ++i)
        if (MatchesSearchText(Library.Files[i], q)) items.append(int32_t(i));
    const qsizetype matches = items.size();
    if (items.isEmpty()) items.append(-1);
    ListEntry& view = ViewForWrite();
    view.Items = std::move(items);
    QV_ListControl1->setVisible(true);
    view.Caption = QStringLiteral("Suche: \"") + Trim(txtSearch->text()) + u'"';
    SetViewCount(int32_t(matches) - 1);
}

bool frmMain::IsMenuShortcut(const QKeyEvent& key) const
{
    const QKeySequence pressed(QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    const QList<QAction*> actions = findChildren<QAction*>();
    return std::any_of(actions.begin(), actions.end(),
                       [&](const QAction* a) { return a->isEnabled() && a->shortcuts().contains(pressed); });
}

bool frmMain::txtSearch_Event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn: {
        SetBase(txtSearch, 0xFFFFFF);
        // The user's own ways in select the text, so that typing replaces it;
        // a closing menu or window handing the focus back keeps the caret in
        // a search. The placeholder is never searched for: any way in selects it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
            || reason == Qt::ShortcutFocusReason || txtSearch->text() == SearchPlaceholder())
            txtSearch->selectAll();
        searchFocusByMouse_ = reason == Qt::MouseFocusReason;
        return false;
    }
    case QEvent::ShortcutOverride:
        // The box would take keys such as Ctrl+E (end of line) for itself: the menus' shortcuts win.
        if (IsMenuShortcut(*static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        // The click that brought the focus would place the caret: it selects all
        // too, as does any click into the placeholder.
        if (searchFocusByMouse_ || txtSearch->text() == SearchPlaceholder()) {
            searchFocusByMouse_ = false;
            txtSearch->selectAll();
            return true;
        }
        return false;
    case QEvent::FocusOut:
        searchFocusByMouse_ = false;
        if (txtSearch->text().isEmpty()) SetBase(txtSearch, 0xFFC0C0);
        return false;
    case QEvent::KeyPress: {
        const auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() == Qt::Key_Down && QV_ListControl1->ItemCount() >= 0) {
            QV_ListControl1->SetSelectedIndex(0);
            QV_ListControl1->setFocus();
            return false;
        }
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) && QV_ListControl1->ItemCount() >= 0) {
            SetPlayingFromView();
            if (IsOn(Settings.Shuffle)) ShufflePlaying();
            AudioPlay(Library.ListSets[PlayingQueue].Entries[0].Items.front());
            QV_ListControl1->setFocus();
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

bool frmMain::SearchTextReady() const
{
    return searchTextMade_ >= Library.Files.size();
}

void frmMain::PrepareSearchSlice()
{
    searchTextMade_ = PrepareSearchText(Library, searchTextMade_, kSearchTextSlice);
    if (SearchTextReady()) searchTextTimer_->stop();
}

// ---- A synchronisation replaced the library ------------------------------------

void frmMain::OnLibraryReplaced(const LibraryDatabase& previous)
{
    if (CurrentTrack >= 0) CurrentTrack = RemapLibraryIndex(previous, CurrentTrack);
    if (RememberedTrack >= 0) RememberedTrack = RemapLibraryIndex(previous, RememberedTrack);
    SetPlayingHighlight(true);
    searchTextMade_ = 0;
    if (isVisible()) searchTextTimer_->start();
    // The view shown is made again from the new library: a search as the box
    // holds it, the view the tree marks; any other (a column filter) keeps its
    // titles still there. The pane shown and the focus stay as they are.
    const ListEntry old = previous.ListSets[ViewList].Entries.value(0);
    if (old.Caption.startsWith(u"Suche: \"")) {
        ShowSearchResult();
        return;
    }
    const QTreeWidgetItem* node = Functions->currentItem();
    const QString key = node ? node->data(0, Qt::UserRole).toString() : QString();
    const int32_t slot = key.startsWith(u"PLDynamic") ? RoundToInt32(Val(key.mid(9))) : -1;
    ListEntry& view = ViewForWrite();
    if (key == u"AudioLibrary" && old.Caption == u"Alle Titel") {
        view.Items.resize(std::max<qsizetype>(Library.Files.size(), 1));
        std::iota(view.Items.begin(), view.Items.end(), 0);
        if (Library.Files.isEmpty()) view.Items[0] = -1;
    } else if (key == u"AudioPlaying" && old.Caption == u"Jukebox") {
        view.Items = Library.ListSets[PlayingQueue].Entries.value(0, ListEntry{QString(), {-1}}).Items;
    } else if (slot >= 0 && slot < DynPlaylistCount && old.Caption == Settings.DynPlaylists[slot].Name) {
        RunQuery(Settings.DynPlaylists[slot].Query);
    } else {
        view.Items = RemapLibraryItems(previous, old.Items);
    }
    view.Caption = old.Caption;
    SetViewCount(int32_t(View().Items.size()) - 1);
}
