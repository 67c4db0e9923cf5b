// The main window as host of the library list, its summary and the search box.
#include "MainWindowTestSupport.h"

#include "core/LibrarySync.h"
#include "core/TagReader.h"
#include "ui/main/OtherWindows.h"

#include <QLocale>
#include <QMenu>

#include <algorithm>

namespace {

struct GermanLocale {
    GermanLocale() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~GermanLocale() { QLocale::setDefault(QLocale::c()); }
};

QStringList Cells(frmMain& w, qint32 row, ListCell* key = nullptr)
{
    QList<ListCell> data;
    ListCell k;
    if (!w.NeedData(row, data, k)) return {"no data"};
    if (key) *key = k;
    QStringList out;
    for (const ListCell& c : data) out.append(c.Text());
    return out;
}

LibraryEntry Entry(const char* title, const char* track = "", int16_t rating = 0, double sizeMb = 0, int len = 0)
{
    LibraryEntry e;
    e.FileName = QStringLiteral("/m/%1.mp3").arg(title);
    e.Tags = {.Title = title, .Artist = "Xy", .Lenght = len, .Track = track};
    e.Rating = rating;
    e.SizeInMB = sizeMb;
    e.PlayTime = QStringLiteral("(noch nie)");
    return e;
}

TEST_F(MainWindowTest, CellsOfARow)
{
    MakeLibrary({Entry("Null", "0"), Entry("Leer", "", 3), Entry("Sieben", "7", 5)});
    const QDateTime played(QDate(2026, 2, 3), QTime(4, 5));
    Library.Files[5].PlayTime = played;
    View() = {"v", {3, 4, 5}};
    const struct { qint32 row; int column; QString text; } rows[] = {
        {0, 0, ""}, {1, 0, ""}, {2, 0, "7"}, {1, 6, QString(3, QChar(171))}, {0, 6, ""},
        {0, 12, "(noch nie)"}, {2, 12, QLocale().toString(played, QLocale::ShortFormat)}, {2, 9, ""},
    };
    for (const auto& r : rows) EXPECT_EQ(Cells(*w, r.row).value(r.column), r.text) << r.row << "/" << r.column;

    View() = {"leer", {-1}};
    ListCell key;
    const QStringList empty = Cells(*w, 0, &key);
    EXPECT_EQ(key, ListCell(-1));
    EXPECT_EQ(empty.mid(5, 3) + empty.mid(13, 1) + empty.mid(1, 1), (QStringList{"00:00", "", "0", "0", ""}));
    EXPECT_EQ(Cells(*w, 1), QStringList{"no data"});
}

// The ladder of times, then the summary: the size ladder's rules are the
// core's; here the sum, the skipped index and the empty view.
TEST_F(MainWindowTest, TimeToTextAndSummaryOfTheView)
{
    GermanLocale german;
    const struct { double seconds; const char* text; } times[] = {
        {0.5, ""}, {1, "1 Sekunde"}, {59, "59 Sekunden"}, {60, "1 Minute"}, {90, "1,5 Minuten"},
        {3599, "59,98 Minuten"}, {3600, "1 Stunde"}, {86399, "24 Stunden"}, {86400, "1 Tag"},
        {90000, "1,04 Tage"}, {604800, "1 Woche"}, {691200, "1,14 Wochen"}, {1209600, "2 Wochen"},
    };
    for (const auto& r : times) EXPECT_EQ(frmMain::TimeToText(r.seconds), QString::fromUtf8(r.text)) << r.seconds;
    MakeLibrary({Entry("A", "", 0, 1.5, 100), Entry("B", "", 0, 2.5, 200), Entry("C", "", 0, 4, 300),
                 Entry("E", "", 0, 1536), Entry("G", "", 0, 8.5)});
    const struct { QVector<int32_t> items; const char* details; } rows[] = {
        {{3, 4, 5}, "3 Titel\n10 Minuten\n8 MB"}, {{6}, "1 Titel\n\n1,5 GB"},
        {{7, 99}, "1 Titel\n\n8,5 MB"},  // an index beyond the library is skipped
        {{-1}, "(keine Titel)"},
    };
    for (const auto& r : rows) {
        View() = {"Sicht", r.items};
        w->QV_ListControl1->SetItemCount(int32_t(r.items.size()) - 1);
        EXPECT_EQ(w->lblPLDetails->text() + '|' + w->lblPLTitle->text(), QString::fromUtf8(r.details) + "|Sicht");
    }
}

// The value rules are the filter's own; here which cell gives the value and which click filters.
TEST_F(MainWindowTest, CtrlClickFiltersByTheCellsValueRightClickSelects)
{
    MakeLibrary({Entry("x=y", "", 2)});
    Library.Files[3].Tags.Artist = "Love > Hate";
    const struct { int32_t key; int column; int shift; const char* caption; QVector<int32_t> items; } rows[] = {
        {3, 1, 2, "\"x=y\"", {3}}, {3, 2, 2, "\"Love > Hate\"", {3}}, {3, 6, 2, "\"2\"", {3}},
        {2, 2, 2, "\"\"", {0, 1, 2, 3}},  // no artist: every title, as the query keeps them
        {3, 8, 2, "vorher", {1}},         // the file name does not filter
        {3, 1, 3, "vorher", {1}},         // Shift + Ctrl does nothing
        {-1, 1, 2, "vorher", {1}},
    };
    for (const auto& r : rows) {
        View() = {"vorher", {1}};
        emit w->QV_ListControl1->ItemMouseUp(0, r.column, ListCell(r.key), 1, r.shift);
        EXPECT_EQ(View().Caption, r.caption) << r.key << "/" << r.column;
        EXPECT_EQ(View().Items, r.items) << r.key << "/" << r.column;
    }
    QMenu* menu = w->PopupMenu("mContextAudio");  // the right button selects and opens the menu on "play"
    w->Command("AudioLibrary");
    emit w->QV_ListControl1->ItemMouseUp(2, 1, ListCell(2), 2, 0);
    EXPECT_EQ(w->QV_ListControl1->SelectedIndex(), 2);
    EXPECT_EQ(menu->defaultAction(), Action("mCAPlay"));
    menu->close();
}

TEST_F(MainWindowTest, DoubleClickQueuesTheViewFromTheClickedTitle)
{
    MakeLibrary({Entry("D"), Entry("E")});
    const struct { bool shuffle; int32_t key; QVector<int32_t> queue; } rows[] = {
        {false, 2, {2, 3, 4, 0, 1}}, {true, 3, {}},
        {true, 0, {}}, {true, 4, {}},  // shuffled: the clicked title first, every title of the view once
        {false, -1, {-1}}};
    for (const auto& r : rows) {
        View() = {"Alle", r.key < 0 ? QVector<int32_t>{-1} : QVector<int32_t>{0, 1, 2, 3, 4}};
        Settings.Shuffle = r.shuffle ? SwitchOn : SwitchOff;
        emit w->QV_ListControl1->ItemDblClick(0, 0, ListCell(r.key));
        EXPECT_EQ(w->CurrentTrack, r.key);
        EXPECT_EQ(Queue().front(), r.key);
        if (r.shuffle) {
            EXPECT_TRUE(std::is_permutation(Queue().begin(), Queue().end(), View().Items.begin(), View().Items.end()))
                << r.key;
        } else {
            EXPECT_EQ(Queue(), r.queue);
        }
    }
    w->Command("Audio:Next");
    EXPECT_EQ(w->CurrentTrack, -1);  // the empty view's queue
}

struct FakeReader : TagReader {
    TagReading Open(const QString& path) override { return {.Format = int16_t(QFile::exists(path))}; }
};

// A reload from the options page: indices move, the view shown is made again
// from the new library, and the options page stays in front. a.mp3 comes new
// at 0, b.mp3 moves to 1, gone.mp3 and the tones outside the folder go.
TEST_F(MainWindowTest, SynchronisationMovesIndicesAndRebuildsTheViewInPlace)
{
    QTemporaryDir music;
    FakeReader reader;
    SetTagReader(&reader);
    LoadFunctionTree();
    for (const char* name : {"a.mp3", "b.mp3"}) ASSERT_TRUE(WriteRawFile(music.filePath(name), "x"));
    const struct { const char* command; const char* search; const char* caption; QVector<int32_t> items; } rows[] = {
        {"AudioLibrary", "b", "Suche: \"b\"", {1}},  // run again: b.mp3 is titled "b" now
        {"AudioLibrary", "", "Alle Titel", {0, 1}},
        {"AudioPlaying", "", "Jukebox", {1}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.caption);
        MakeLibrary();
        Library.Files[0].FileName = music.filePath("b.mp3");
        Library.Files[1].FileName = music.filePath("gone.mp3");
        Queue() = {0, 1};
        w->Command(r.command);
        if (*r.search) w->txtSearch->setText(r.search);
        w->Command("Options");
        w->CurrentTrack = 0;
        ASSERT_EQ(SyncLibrary(1, music.path()).status, SyncResult::Done);
        EXPECT_EQ(w->CurrentTrack, 1);
        EXPECT_EQ(std::tuple(View().Caption, View().Items), std::tuple(QString(r.caption), r.items));
        EXPECT_EQ(w->QV_ListControl1->ItemCount(), r.items.size() - 1);
        EXPECT_TRUE(w->frOptions->isVisibleTo(w.get()) && !w->frMusicLibrary->isVisibleTo(w.get()));
    }
}

TEST_F(MainWindowTest, TypingFiltersDownAndEnterPlayAndColours)
{
    MakeLibrary({Entry("Abba Gold"), Entry("Gold")});
    Library.Files[3].FileName = Tone("a.wav");  // Enter plays them
    Library.Files[4].FileName = Tone("b.wav");
    EXPECT_EQ(w->txtSearch->text(), "(Suchbegriff)");
    const auto base = [&] { return w->txtSearch->palette().color(QPalette::Base); };
    const QColor idle(0xC0, 0xC0, 0xFF);
    EXPECT_EQ(base(), idle);
    w->show();
    w->activateWindow();
    // In a search only the user's own ways in select the text; a menu or
    // window handing the focus back does not. Any way in selects the placeholder.
    for (const QString& text : {QStringLiteral("Beta"), frmMain::SearchPlaceholder()}) {
        w->txtSearch->setText(text);
        for (const auto& [reason, selects] : {std::pair{Qt::MouseFocusReason, true}, {Qt::TabFocusReason, true},
                                              {Qt::ShortcutFocusReason, true}, {Qt::PopupFocusReason, false},
                                              {Qt::ActiveWindowFocusReason, false}}) {
            w->QV_ListControl1->setFocus();
            QApplication::processEvents();  // the window is active before the box gets the focus
            w->txtSearch->setFocus(reason);
            QApplication::processEvents();
            EXPECT_EQ(w->txtSearch->selectedText() == text, selects || text != "Beta") << reason << text.toStdString();
        }
    }
    EXPECT_EQ(base(), QColor(Qt::white));
    w->Command("AudioLibrary");
    EXPECT_EQ(w->txtSearch->text(), "");
    // Down and Enter act only on a result; leaving the box empty turns it back to idle.
    const struct { const char* text; QVector<int32_t> items; QColor after; } rows[] = {
        {"nichts", {-1}, Qt::white}, {"  ABBA   gold ", {3}, Qt::white}, {"gold", {3, 4}, Qt::white},
        {"", {0, 1, 2, 3, 4}, idle}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        const bool result = r.items[0] >= 0;
        w->txtSearch->setFocus();
        w->txtSearch->setText(r.text);
        EXPECT_EQ(View().Caption, "Suche: \"" + QString(r.text).trimmed() + '"');
        EXPECT_EQ(View().Items, r.items);
        EXPECT_EQ(w->QV_ListControl1->ItemCount(), r.items.size() - (result ? 1 : 2));
        w->QV_ListControl1->SetSelectedIndex(-1);
        Queue() = {-1};
        w->CurrentTrack = -1;
        SendKey(w->txtSearch, Qt::Key_Down);
        EXPECT_EQ(w->QV_ListControl1->SelectedIndex(), result ? 0 : -1);
        SendKey(w->txtSearch, Qt::Key_Return, "\r");
        EXPECT_EQ(Queue(), result ? r.items : QVector<int32_t>{-1});
        EXPECT_EQ(w->CurrentTrack, r.items[0]);
        EXPECT_TRUE(w->QV_ListControl1->hasFocus() || !result);
        w->QV_ListControl1->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(base(), r.after);
    }
    // A menu shortcut wins over the box's own use of the key. Ctrl+E (end of
    // line) is the box's only on X11 desktops; Ctrl+C is the box's on all.
    QAction* tagEditor = w->MenuAction("mAudioProp");
    tagEditor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    int opened = 0;
    QObject::connect(tagEditor, &QAction::triggered, w.get(), [&] { ++opened; });
    w->txtSearch->setFocus();
    QKeyEvent ctrlC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(w->txtSearch, &ctrlC);
    EXPECT_EQ(opened, 1);
}

// The placeholder is never searched for: the first key replaces it however
// the focus came, also a click into the box that has the focus already. A
// search keeps its caret where the click put it.
TEST_F(MainWindowTest, TypingReplacesThePlaceholderAfterTheStartAndAClick)
{
    enum Way { Start, ClickIntoFocused };
    const struct { Way way; const char* text; const char* caption; } rows[] = {
        {Start, "", "Suche: \"Rau\""},
        {ClickIntoFocused, "", "Suche: \"Rau\""},
        {ClickIntoFocused, "Beta", "Suche: \"BetaRau\""},  // clicked behind the end
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.way == Start ? "start " : "click ") + r.text);
        NewWindow();
        MakeLibrary();
        Settings.LastTrack = 0;  // the start resumes it and shows the queue
        Queue() = {0};
        w->Form_Load();
        w->tmrHotKeys->stop();
        w->AudioPlay(0, true);
        w->show();
        w->activateWindow();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), w->txtSearch);
        if (*r.text) w->txtSearch->setText(r.text);
        if (r.way == ClickIntoFocused) {
            const QPointF end(w->txtSearch->width() - 2, w->txtSearch->height() / 2);
            SendMouse(w->txtSearch, QEvent::MouseButtonPress, end);
            SendMouse(w->txtSearch, QEvent::MouseButtonRelease, end);
        }
        for (const char* key : {"R", "a", "u"}) SendKey(QApplication::focusWidget(), Qt::Key_A, key);
        EXPECT_EQ(View().Caption.toStdString(), r.caption);
    }
}

TEST_F(MainWindowTest, PanesFollowTheClientArea)
{
    w->show();
    for (const QSize size : {QSize(1000, 700), QSize(1400, 900)}) {
        w->resize(size);
        QApplication::processEvents();
        const double W = w->centralWidget()->width() * 1440.0 / w->logicalDpiX();
        const double H = w->centralWidget()->height() * 1440.0 / w->logicalDpiY();
        const auto T = [&](QWidget* c) { return w->Twips(c); };
        EXPECT_EQ((std::vector<double>{T(w->frTop).Width, T(w->frSeek).Width, T(w->txtSearch).Left,
                                       T(w->lblTimeMax).Left, T(w->frMusicLibrary).Width, T(w->QV_ListControl1).Height,
                                       T(w->Functions).Height, T(w->picPL).Top, T(w->Picture1).Left}),
                  (std::vector<double>{W, W - 4200, W - 2175, W - 4200 + 600 + 120, W - 2880, H - 1095,
                                       H - 1095 - 240 - 1095, T(w->Functions).Height + 120, 2895}));
    }
    const double seek = w->Twips(w->frSeek).Width;
    w->resize(200, 150);  // too small: negative sizes leave the controls as they were
    QApplication::processEvents();
    EXPECT_EQ(w->Twips(w->frSeek).Width, seek);
}

} // namespace
