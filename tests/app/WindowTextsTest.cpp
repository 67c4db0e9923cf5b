// What every window shows, against one checked-in text (WindowTexts.txt):
// after a start over a one-title library each window is opened and its live
// widgets are walked, a line a widget, nesting by indentation; then the same
// windows while a title plays and each editor after each of its buttons.
// The text holds one section a state, headed "# <state>". A difference fails
// with a unified diff of the whole text.
#include "controls/QVTrayIcon.h"
#include "controls/QV_HoverLabel.h"
#include "controls/QV_ListControl.h"
#include "core/Clock.h"
#include "core/Settings.h"
#include "platform/DeviceVolumes.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/StartTest.h"
#include "ui/dialogs/frmAudioProperties.h"
#include "ui/dialogs/frmDeviceWizard.h"
#include "ui/dialogs/frmEqualizer.h"
#include "ui/dialogs/frmHotKEnable.h"
#include "ui/dialogs/frmInfo.h"
#include "ui/dialogs/frmMiniPlayer.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/dialogs/frmPlaylistDynamic.h"
#include "ui/dialogs/frmPlaylistScriptIfo.h"
#include "ui/dialogs/frmSelectLibraryAction.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/main/OtherWindows.h"
#include "ui/main/frmMain.h"

#include "ProductInfo.h"

#include <QAbstractSlider>
#include <QComboBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTabWidget>

namespace {

// The test's data folder, whose name changes from run to run.
QString& HomeMask()
{
    static QString home;
    return home;
}

QString Quoted(QString s)
{
    if (!HomeMask().isEmpty()) s.replace(HomeMask(), QStringLiteral("<home>"));
    s.replace(ProductVersionText(), QStringLiteral("<version>")).replace(u'\n', QStringLiteral("\\n")).replace(u'\r', QStringLiteral("\\r"));
    return u'"' + s + u'"';
}

QString Joined(int count, const std::function<QString(int)>& item)
{
    QStringList items;
    for (int i = 0; i < count; ++i) items << item(i);
    return count > 20 ? QStringLiteral("(%1 entries)").arg(count) : Quoted(items.join(QStringLiteral(" | ")));
}

// Rows, the selected row with its key, and the key of the row drawn as playing.
QString ListState(const QV_ListControl& list)
{
    QString state = QStringLiteral("rows %1").arg(list.ItemCount() + 1);
    if (list.SelectedIndex() >= 0)
        state += QStringLiteral(" selected %1 key %2").arg(list.SelectedIndex()).arg(list.SelectedKey().Text());
    if (list.Highlighted() >= 0) state += QStringLiteral(" playing %1").arg(list.Highlighted());
    return state;
}

// One line a widget: kind, objectName, text, then what differs from the
// ordinary (checked, hidden, disabled, a tool tip).
struct Walker {
    QStringList out;

    void Add(int depth, const char* kind, const QObject* o, const QString& text)
    {
        const QString name = o ? o->objectName() : QString();
        out << (QString(depth * 2, u' ') + QLatin1String(kind) + (name.isEmpty() ? QString() : u' ' + name) +
                (text.isEmpty() ? QString() : u' ' + text));
    }
    // A font size or weight the program set (on the label or a container of it).
    static QString FontMarks(const QWidget* w)
    {
        const QFont f = w->font();
        QString marks;
        if (f.resolveMask() & QFont::SizeResolved)
            marks += f.pointSizeF() > 0 ? QStringLiteral(" %1pt").arg(f.pointSizeF()) : QStringLiteral(" %1px").arg(f.pixelSize());
        if (f.resolveMask() & QFont::WeightResolved) marks += f.bold() ? QStringLiteral(" bold") : QStringLiteral(" not bold");
        return marks;
    }
    void Window(QWidget* w)
    {
        Add(0, "window", w, Quoted(w->windowTitle()));
        Children(w, 1);
    }
    void Menu(const QMenu* m, int depth)
    {
        for (QAction* a : m->actions()) {
            QString line = Quoted(a->text());
            if (!a->shortcut().isEmpty()) line += u' ' + a->shortcut().toString();
            if (a->isCheckable()) line += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
            for (const auto& [on, flag] : {std::pair{!a->isEnabled(), " disabled"}, {!a->isVisible(), " hidden"},
                                          {m->defaultAction() == a, " default"}})
                if (on) line += QLatin1String(flag);
            if (a->isSeparator()) out << QString(depth * 2, u' ') + u'-';
            else Add(depth, a->menu() ? "menu" : "entry", a->menu() ? static_cast<QObject*>(a->menu()) : a, line);
            if (a->menu()) Menu(a->menu(), depth + 1);
        }
    }
    void Children(QWidget* w, int depth)
    {
        for (QObject* c : w->children())
            if (auto* child = qobject_cast<QWidget*>(c); child && (!child->isWindow() || qobject_cast<QMenu*>(c)))
                Widget(child, depth);
    }
    void Widget(QWidget* w, int depth)
    {
        if (w->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<QAbstractSlider*>(w)) return;
        QString flags;
        if (w->isHidden()) flags += QStringLiteral(" hidden");
        if (!w->isEnabledTo(w->parentWidget())) flags += QStringLiteral(" disabled");
        if (!w->toolTip().isEmpty()) flags += QStringLiteral(" tip ") + Quoted(w->toolTip());
        if (auto* bar = qobject_cast<QMenuBar*>(w)) {
            for (QAction* a : bar->actions()) {
                Add(depth, a->menu() ? "menu" : "entry", a->menu() ? static_cast<QObject*>(a->menu()) : a, Quoted(a->text()));
                if (a->menu()) Menu(a->menu(), depth + 1);
            }
        } else if (auto* menu = qobject_cast<QMenu*>(w)) {
            if (!menu->menuAction()->associatedObjects().isEmpty()) return;  // walked with its parent menu
            Add(depth, "popup", menu, Quoted(menu->title()) + (menu->isVisible() ? QStringLiteral(" shown") : QString()));
            Menu(menu, depth + 1);
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            Add(depth, "tabs", w, flags.trimmed());
            for (int i = 0; i < tabs->count(); ++i) {
                Add(depth + 1, "tab", tabs->widget(i),
                    Quoted(tabs->tabText(i)) + (tabs->currentIndex() == i ? QStringLiteral(" in front") : QString()));
                Children(tabs->widget(i), depth + 2);
            }
        } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
            Add(depth, "tree", w, flags.trimmed());
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                const QTreeWidgetItem* n = *it;
                int level = 1;
                for (auto* p = n->parent(); p; p = p->parent()) ++level;
                Add(depth + level, "node", nullptr,
                    Quoted(n->text(0)) + u' ' + n->data(0, Qt::UserRole).toString() +
                        (n->font(0).bold() ? QStringLiteral(" bold") : QString()) +
                        (n->childCount() && !n->isExpanded() ? QStringLiteral(" collapsed") : QString()) +
                        (n->isSelected() ? QStringLiteral(" selected") : QString()));
            }
        } else if (auto* list = qobject_cast<QV_ListControl*>(w)) {
            Add(depth, "list", w, ListState(*list) + flags);
            int width = 0;
            for (int i = 0; !list->GetHeader(i, width).isNull(); ++i)
                Add(depth + 1, "column", nullptr, Quoted(list->GetHeader(i, width)) + u' ' + QString::number(width));
            QList<ListCell> cells;
            ListCell key;
            if (auto* host = dynamic_cast<QV_ListControlHost*>(list->window());
                host && list->SelectedIndex() >= 0 && host->NeedData(list->SelectedIndex(), cells, key))
                Add(depth + 1, "selected row", nullptr, Joined(int(cells.size()), [&](int i) { return cells[i].Text(); }));
        } else if (auto* box = qobject_cast<QListWidget*>(w)) {
            const QString selected = box->currentItem() && box->currentItem()->isSelected()
                                         ? QStringLiteral(" selected %1").arg(box->currentRow())
                                         : QString();
            const auto entry = [&](int i) {
                const QListWidgetItem* item = box->item(i);
                if (!item->data(Qt::CheckStateRole).isValid()) return item->text();
                return item->text() + (item->checkState() == Qt::Checked ? QStringLiteral(" [x]") : QStringLiteral(" [ ]"));
            };
            Add(depth, "listbox", w, Joined(box->count(), entry) + selected + flags);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            Add(depth, "combo", w, Quoted(combo->currentText()) + QStringLiteral(" of ") +
                                        Joined(combo->count(), [&](int i) { return combo->itemText(i); }) + flags);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const char* kind = qobject_cast<QCheckBox*>(w) ? "check" : qobject_cast<QRadioButton*>(w) ? "option" : "button";
            Add(depth, kind, w, Quoted(button->text()) + (button->isChecked() ? QStringLiteral(" checked") : QString()) + flags);
        } else if (auto* hover = qobject_cast<QV_HoverLabel*>(w)) {
            const QString drawn = hover->DrawnText() == hover->Caption() ? QString() : u' ' + hover->DrawnText();
            Add(depth, "button", w, Quoted(hover->Caption()) + drawn + flags);
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->text().isEmpty() || !w->objectName().isEmpty()) Add(depth, "label", w, Quoted(label->text()) + FontMarks(w) + flags);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            Add(depth, "edit", w, Quoted(edit->text()) + flags);
        } else if (auto* text = qobject_cast<QTextEdit*>(w)) {
            Add(depth, "text", w, Quoted(text->toPlainText()) + flags);
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
            Add(depth, "text", w, Quoted(plain->toPlainText()) + flags);
        } else {
            // A container shows when it holds something shown or has a title.
            const auto* frame = qobject_cast<QGroupBox*>(w);
            const bool named = !w->objectName().isEmpty() || frame;
            const qsizetype at = out.size();
            if (named) Add(depth, "frame", w, ((frame ? Quoted(frame->title()) : QString()) + flags).trimmed());
            Children(w, depth + named);
            if (named && !frame && out.size() == at + 1) out.removeLast();
        }
    }
};

template <class Window>
QWidget* TopLevel()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (dynamic_cast<Window*>(w)) return w;
    return nullptr;
}

// German numbers (the equalizer's band labels) and one drive for the wizard.
class WindowTexts : public StartTest {
protected:
    void SetUp() override
    {
        StartTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::German));
        SetVolumeSource([] { return QVector<DeviceVolume>{{"/media/STICK", "STICK", "-559038737", "vfat", 16.0 * (1 << 30), 10.0 * (1 << 30)}}; });
        HomeMask() = home.path();
    }
    void TearDown() override
    {
        HomeMask().clear();
        SetBalloonPresenter({});
        SetTrayHostCheck({});
        SetVolumeSource({});
        QLocale::setDefault(locale_);
    }
    // The section of the checked-in text headed "# <state>" must read as the lines shown.
    void ExpectSection(const QString& state, const QStringList& lines)
    {
        QFile expected(QStringLiteral(SAROVIN_WINDOW_TEXTS)), shown(HomeFile(QStringLiteral("WindowTexts.txt")));
        ASSERT_TRUE(expected.open(QIODevice::ReadOnly) && shown.open(QIODevice::WriteOnly));
        const QString heading = QStringLiteral("# ") + state;
        QStringList text = QString::fromUtf8(expected.readAll()).split(u'\n');
        if (text.endsWith(QString())) text.removeLast();
        qsizetype from = text.indexOf(heading), to = from;
        if (from < 0) from = to = text.size();
        else
            while (++to < text.size() && !text[to].startsWith(QLatin1String("# "))) {}
        const QStringList section = QStringList{heading} + lines;
        if (text.mid(from, to - from) == section) return;
        text = text.mid(0, from) + section + text.mid(to);
        shown.write((text.join(u'\n') + u'\n').toUtf8());
        shown.close();
        QProcess diff;
        diff.start(QStringLiteral("diff"), {QStringLiteral("-u"), expected.fileName(), shown.fileName()});
        diff.waitForFinished();
        ADD_FAILURE() << "The windows differ from the checked-in text:\n" << diff.readAllStandardOutput().toStdString();
    }
    QLocale locale_;
};

TEST_F(WindowTexts, EveryWindowShowsTheCheckedInTexts)
{
    Main(QString());
    frmMain* main = MainWindow();
    ASSERT_TRUE(main);
    Settings.DynPlaylists = {};
    Settings.DynPlaylists[0] = {QStringLiteral("Neue Playlist"), QString()};  // no query: no node
    Settings.DynPlaylists[1] = {QStringLiteral("Rock & Pop"), QStringLiteral("genre=rock")};
    Settings.DynPlaylists[7] = {QStringLiteral("Gut"), QStringLiteral("rating>=4")};
    LoadFunctionTree();
    LoadFunctionTree();  // no node or entry twice
    Settings.LibraryFolders = QStringLiteral("/musik\r/hörbuch");
    LoadOptions();
    LibraryEntry e{.FileName = QStringLiteral("/musik/Ann/a.mp3"),
                   .Tags = {.Title = QStringLiteral("Alpha"), .Artist = QStringLiteral("Ann"), .Album = QStringLiteral("First"),
                            .Year = QStringLiteral("1999"), .Lenght = 75, .Bitrate = 128, .Format = QStringLiteral("MPEG"),
                            .Genre = QStringLiteral("Rock"), .Track = QStringLiteral("3")},
                   .AddTime = QStringLiteral("01.03.2026 12:00:00"), .PlayTime = QStringLiteral("(noch nie)"),
                   .PlayCNT = 2, .TagVer = QStringLiteral("(unbekannt)"), .Rating = 4};
    Library.Files = {e};
    main->Command(QStringLiteral("Options"));
    Walker dump;
    dump.Window(main);
    dump.Add(0, "tray tip", nullptr, Quoted(main->findChild<QSystemTrayIcon*>()->toolTip()));
    OpenTagEditor(0);
    OpenPlaylistEditor();
    OpenEqualizer();
    LoadMiniPlayer();
    OpenInfo();
    OpenDeviceWizard();
    for (QWidget* w : {TopLevel<frmAudioProperties>(), TopLevel<frmPlaylistDynamic>(), TopLevel<frmEqualizer>(),
                       TopLevel<frmMiniPlayer>(), TopLevel<frmInfo>(), TopLevel<frmDeviceWizard>()}) {
        ASSERT_TRUE(w);
        dump.Window(w);
        if (auto* editor = qobject_cast<frmPlaylistDynamic*>(w)) {
            editor->cmdHelp->click();
            dump.Window(editor->HelpWindow());
        }
    }
    Settings.DynPlaylists = {};
    LoadFunctionTree();  // entries above the first go
    dump.Add(0, "without playlists:", nullptr, {});
    dump.Menu(main->findChild<QMenu*>(QStringLiteral("mPL")), 1);
    ShowSplash();
    SetSplashStep(QStringLiteral("Einstellungen"));
    dump.Window(SplashWindow());
    frmHotKEnable hotKey(main, [](bool) { return true; });
    frmSelectLibraryAction libraryAction(main);
    frmOptions options(main);
    for (QWidget* w : std::initializer_list<QWidget*>{&hotKey, &libraryAction, &options}) dump.Window(w);
    // A click on each category node: the page's title and frames, then the window's.
    const auto visible = [](QWidget* root, const QString& prefix, const QString& also = {}) {
        QString names;
        for (QWidget* w : root->findChildren<QWidget*>())
            if ((w->objectName().startsWith(prefix) || (!also.isEmpty() && w->objectName() == also)) && w->objectName() != u"frOptions" &&
                w->isVisibleTo(root))
                names += u' ' + w->objectName();
        return names;
    };
    auto* categories = main->findChild<QTreeWidget*>(QStringLiteral("trvOptionsTree"));
    for (QTreeWidgetItemIterator it(categories); *it; ++it) {
        const QString key = (*it)->data(0, Qt::UserRole).toString();
        emit categories->itemClicked(*it, 0);
        options.ShowOption(key);
        dump.Add(0, "category", nullptr, key + u' ' + Quoted(main->findChild<QLabel*>(QStringLiteral("lblOptTitle"))->text()) +
                     visible(main, QStringLiteral("frOpt")) + QStringLiteral(" | ") + Quoted(options.lblTitle->text()) +
                     visible(&options, QStringLiteral("fr"), QStringLiteral("Label4")));
    }

    ExpectSection(QStringLiteral("at the start"), dump.out);
}

// A title plays from a three-title library: the main window's display, tree,
// list and menus, the tray, the mini player and the context menu over the
// playing row; then each editor after each of its buttons.
TEST_F(WindowTexts, WhileATitlePlaysAndAfterEachEditorButton)
{
    const QString tone = HomeFile(QStringLiteral("Alpha.wav"));
    ASSERT_TRUE(MakeToneFile(tone, FixtureFormat::Wav, 1.0));
    SetWallClock([] { return QDateTime(QDate(2026, 12, 7), QTime(8, 15)); });
    Main(QString());
    frmMain* main = MainWindow();
    ASSERT_TRUE(main);
    Settings.ShowTrayBalloon = SwitchOn;
    Settings.DynPlaylists = {};
    Settings.DynPlaylists[0] = {QStringLiteral("Rock & Pop"), QStringLiteral("genre=rock")};
    Settings.DynPlaylists[3] = {QStringLiteral("Gut"), QStringLiteral("rating>=4")};
    Settings.DynPlaylists[5] = {QStringLiteral("Neu"), QStringLiteral("33 top addtime")};
    LoadFunctionTree();
    const auto record = [](const QString& file, TagInfo tags, int16_t rating) {
        return LibraryEntry{.FileName = file, .Tags = tags, .AddTime = QStringLiteral("01.03.2026 12:00:00"),
                            .PlayTime = QStringLiteral("(noch nie)"), .PlayCNT = 2,
                            .TagVer = QStringLiteral("(unbekannt)"), .Rating = rating};
    };
    Library.Files = {
        record(tone, {.Title = "Alpha", .Artist = "Ann", .Album = "First", .Year = "1999", .Lenght = 75,
                      .Bitrate = 1411, .Format = "WAV", .Genre = "Rock", .Track = "3"}, 4),
        record("/musik/Bob/b.mp3", {.Title = "Beta", .Artist = "Bob", .Year = "2004", .Lenght = 200, .Bitrate = 192,
                                    .Comment = "live", .Format = "MPEG", .Genre = "Hip-Hop", .Track = "0"}, 0),
        record("/musik/Far/c.ogg", {.Title = "Gamma", .Album = "Far", .Lenght = 3601, .Bitrate = 160,
                                    .Format = "OGG", .Genre = "Ambient", .Track = "12"}, 5),
    };
    main->Command(QStringLiteral("AudioLibrary"));
    QStringList balloons;
    SetTrayHostCheck([] { return true; });
    SetBalloonPresenter([&](QSystemTrayIcon&, const TrayBalloon& b) {
        balloons << Quoted(b.Title) + u' ' + Quoted(b.Text) +
                        (b.ShowsTrayPicture ? QStringLiteral(" tray picture") : QString()) +
                        QStringLiteral(" %1 ms").arg(b.TimeoutMs);
    });
    QV_ListControl* list = main->QV_ListControl1;
    list->SetSelectedIndex(0);
    emit list->ItemDblClick(0, 1, ListCell(0));
    main->tmrActualizeDisp_Timer();

    Walker playing;
    for (QWidget* part : {main->frTop, main->frOverview, main->frMusicLibrary}) playing.Widget(part, 0);
    QMenu* audio = main->PopupMenu(QStringLiteral("mAudio"));
    playing.Add(0, "menu", audio, Quoted(audio->title()));
    playing.Menu(audio, 1);
    playing.Widget(main->PopupMenu(QStringLiteral("mTray")), 0);
    playing.Add(0, "tray tip", nullptr, Quoted(main->findChild<QSystemTrayIcon*>()->toolTip()));
    for (const QString& b : balloons) playing.Add(0, "balloon", nullptr, b);
    playing.Window(TopLevel<frmMiniPlayer>());
    emit list->ItemMouseUp(0, 1, ListCell(0), 2, 0);  // a right click on the playing row
    QMenu* context = main->PopupMenu(QStringLiteral("mContextAudio"));
    playing.Widget(context, 0);
    context->close();
    ExpectSection(QStringLiteral("while a title plays"), playing.out);

    // The tag editor, opened on the playing title, steps through the main
    // list, which follows it; a step that changes nothing says so.
    Walker tags;
    main->Command(QStringLiteral("AudioProp"));
    frmAudioProperties* editor = TagEditor();
    ASSERT_TRUE(editor);
    tags.Add(0, "opened by", nullptr, QStringLiteral("AudioProp"));
    tags.Add(1, "main list", list, ListState(*list));
    tags.Window(editor);
    QStringList before = tags.out.mid(2);
    for (QPushButton* button : {editor->cmdPrev, editor->cmdNext, editor->cmdNext, editor->cmdNext, editor->cmdPrev}) {
        button->click();
        tags.Add(0, "after", button, Quoted(button->text()));
        tags.Add(1, "main list", list, ListState(*list));
        Walker shown;
        shown.Window(editor);
        if (shown.out == before) tags.Add(1, "window unchanged", nullptr, {});
        else tags.out += shown.out;
        before = shown.out;
    }
    ExpectSection(QStringLiteral("the tag editor after each step"), tags.out);

    // The playlist editor: a new entry, the second row deleted, the first
    // changed, then closed, which rebuilds the tree and the playlist menu.
    Walker playlists;
    OpenPlaylistEditor();
    frmPlaylistDynamic* lists = PlaylistEditor();
    ASSERT_TRUE(lists);
    const std::pair<QPushButton*, std::function<void()>> steps[] = {
        {lists->cmdNew, [] {}},
        {lists->cmdDelete, [&] { lists->List1->setCurrentRow(1); }},
        {lists->cmdTakeOver, [&] {
             lists->Text2->setText(QStringLiteral("Rock"));
             lists->Text1->setPlainText(QStringLiteral("genre=rock\nyear>2000"));
         }},
    };
    for (const auto& [button, prepare] : steps) {
        prepare();
        button->click();
        playlists.Add(0, "after", button, Quoted(button->text()));
        playlists.Window(lists);
    }
    lists->cmdClose->click();
    playlists.Add(0, "after", nullptr, Quoted(QStringLiteral("S&chliessen")));
    playlists.Widget(main->Functions, 1);
    QMenu* pl = main->PopupMenu(QStringLiteral("mPL"));
    playlists.Add(1, "menu", pl, Quoted(pl->title()));
    playlists.Menu(pl, 2);
    ExpectSection(QStringLiteral("the playlist editor after each button"), playlists.out);
}

} // namespace
