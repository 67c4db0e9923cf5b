// What every window shows, against one checked-in text (WindowTexts.txt):
// after a start over a one-title library each window is opened and its live
// widgets are walked, a line a widget, nesting by indentation. A difference
// fails with a unified diff.
#include "controls/QV_HoverLabel.h"
#include "controls/QV_ListControl.h"
#include "core/Settings.h"
#include "platform/DeviceVolumes.h"
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

QString Quoted(QString s)
{
    s.replace(ProductVersionText(), QStringLiteral("<version>")).replace(u'\n', QStringLiteral("\\n")).replace(u'\r', QStringLiteral("\\r"));
    return u'"' + s + u'"';
}

QString Joined(int count, const std::function<QString(int)>& item)
{
    QStringList items;
    for (int i = 0; i < count; ++i) items << item(i);
    return count > 20 ? QStringLiteral("(%1 entries)").arg(count) : Quoted(items.join(QStringLiteral(" | ")));
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
            Add(depth, "popup", menu, Quoted(menu->title()));
            Menu(menu, depth + 1);
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            Add(depth, "tabs", w, flags.trimmed());
            for (int i = 0; i < tabs->count(); ++i) {
                Add(depth + 1, "tab", tabs->widget(i), Quoted(tabs->tabText(i)));
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
                        (n->childCount() && !n->isExpanded() ? QStringLiteral(" collapsed") : QString()));
            }
        } else if (auto* list = qobject_cast<QV_ListControl*>(w)) {
            Add(depth, "list", w, flags.trimmed());
            int width = 0;
            for (int i = 0; !list->GetHeader(i, width).isNull(); ++i)
                Add(depth + 1, "column", nullptr, Quoted(list->GetHeader(i, width)) + u' ' + QString::number(width));
        } else if (auto* box = qobject_cast<QListWidget*>(w)) {
            Add(depth, "listbox", w, Joined(box->count(), [&](int i) { return box->item(i)->text(); }) + flags);
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
            if (!label->text().isEmpty() || !w->objectName().isEmpty()) Add(depth, "label", w, Quoted(label->text()) + flags);
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
    }
    void TearDown() override
    {
        SetVolumeSource({});
        QLocale::setDefault(locale_);
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

    QFile expected(QStringLiteral(SAROVIN_WINDOW_TEXTS)), shown(HomeFile(QStringLiteral("WindowTexts.txt")));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly) && shown.open(QIODevice::WriteOnly));
    const QByteArray got = (dump.out.join(u'\n') + u'\n').toUtf8();
    if (got == expected.readAll()) return;
    shown.write(got);
    shown.close();
    QProcess diff;
    diff.start(QStringLiteral("diff"), {QStringLiteral("-u"), expected.fileName(), shown.fileName()});
    diff.waitForFinished();
    ADD_FAILURE() << "The windows differ from the checked-in text:\n" << diff.readAllStandardOutput().toStdString();
}

} // namespace
