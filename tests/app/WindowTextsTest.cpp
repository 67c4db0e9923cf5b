// What every window shows, compared with one checked-in text (WindowTexts.txt):
// after a start over a small library each window is opened and its live
// widgets are walked, one line a widget, nesting by indentation. A difference
// fails with a unified diff.
#include "app/Main.h"
#include "controls/QV_HoverLabel.h"
#include "controls/QV_ListControl.h"
#include "core/LibraryDatabase.h"
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

#include <QComboBox>
#include <QAbstractSlider>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextEdit>

namespace {

QString Quoted(QString s)
{
    s.replace(ProductVersionText(), QStringLiteral("<version>"));
    return u'"' + s.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n")) + u'"';
}

class Walker {
public:
    QStringList out;

    void Window(QWidget* w)
    {
        Add(0, QStringLiteral("window"), w, Quoted(w->windowTitle()));
        Children(w, 1);
    }
    void Menu(const QMenu* m, int depth)
    {
        for (QAction* a : m->actions()) {
            if (a->isSeparator()) {
                out << QString(depth * 2, u' ') + u'-';
                continue;
            }
            QString line = Quoted(a->text());
            if (!a->shortcut().isEmpty()) line += u' ' + a->shortcut().toString();
            if (a->isCheckable()) line += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
            for (const auto& [on, flag] : {std::pair{!a->isEnabled(), "disabled"},
                                          {!a->isVisible(), "hidden"}, {m->defaultAction() == a, "default"}})
                if (on) line += u' ' + QLatin1String(flag);
            Add(depth, a->menu() ? QStringLiteral("menu") : QStringLiteral("entry"),
                a->menu() ? static_cast<QObject*>(a->menu()) : a, line);
            if (a->menu()) Menu(a->menu(), depth + 1);
        }
    }

private:
    void Add(int depth, const QString& kind, const QObject* o, const QString& text)
    {
        QString line = QString(depth * 2, u' ') + kind;
        if (o && !o->objectName().isEmpty()) line += u' ' + o->objectName();
        out << line + (text.isEmpty() ? QString() : u' ' + text);
    }
    void Children(QWidget* w, int depth)
    {
        for (QObject* c : w->children())
            if (auto* child = qobject_cast<QWidget*>(c); child && (!child->isWindow() || qobject_cast<QMenu*>(c)))
                Widget(child, depth);
    }
    // Flags of the widget itself, not inherited from its parent.
    static QString Flags(QWidget* w)
    {
        QString f;
        if (w->isHidden()) f += QStringLiteral(" hidden");
        if (w->parentWidget() && !w->isEnabledTo(w->parentWidget())) f += QStringLiteral(" disabled");
        if (!w->toolTip().isEmpty()) f += QStringLiteral(" tip ") + Quoted(w->toolTip());
        return f;
    }
    void Widget(QWidget* w, int depth)
    {
        if (w->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<QAbstractSlider*>(w)) return;
        const QString flags = Flags(w);
        if (auto* bar = qobject_cast<QMenuBar*>(w)) {
            for (QAction* a : bar->actions())
                if (a->menu()) {
                    Add(depth, QStringLiteral("menu"), a->menu(), Quoted(a->text()));
                    Menu(a->menu(), depth + 1);
                } else {
                    Add(depth, QStringLiteral("entry"), a, Quoted(a->text()));
                }
        } else if (auto* menu = qobject_cast<QMenu*>(w)) {
            if (!menu->menuAction()->associatedObjects().isEmpty()) return;  // dumped with its parent menu
            Add(depth, QStringLiteral("popup"), menu, Quoted(menu->title()));
            Menu(menu, depth + 1);
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            Add(depth, QStringLiteral("tabs"), w, flags.trimmed());
            for (int i = 0; i < tabs->count(); ++i) {
                Add(depth + 1, QStringLiteral("tab"), tabs->widget(i), Quoted(tabs->tabText(i)));
                Children(tabs->widget(i), depth + 2);
            }
        } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
            Add(depth, QStringLiteral("tree"), w, flags.trimmed());
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                const QTreeWidgetItem* n = *it;
                int level = 1;
                for (auto* p = n->parent(); p; p = p->parent()) ++level;
                QString line = Quoted(n->text(0));
                const QString key = n->data(0, Qt::UserRole).toString();
                if (!key.isEmpty()) line += u' ' + key;
                if (n->font(0).bold()) line += QStringLiteral(" bold");
                if (n->childCount() && !n->isExpanded()) line += QStringLiteral(" collapsed");
                Add(depth + level, QStringLiteral("node"), nullptr, line);
            }
        } else if (auto* list = qobject_cast<QV_ListControl*>(w)) {
            Add(depth, QStringLiteral("list"), w, flags.trimmed());
            int width = 0;
            for (int i = 0; !list->GetHeader(i, width).isNull(); ++i)
                Add(depth + 1, QStringLiteral("column"), nullptr,
                    Quoted(list->GetHeader(i, width)) + u' ' + QString::number(width));
        } else if (auto* box = qobject_cast<QListWidget*>(w)) {
            QStringList items;
            for (int i = 0; i < box->count(); ++i) items << box->item(i)->text();
            Add(depth, QStringLiteral("listbox"), w, Quoted(items.join(QStringLiteral(" | "))) + flags);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QStringList items;
            for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
            Add(depth, QStringLiteral("combo"), w,
                Quoted(combo->currentText()) +
                    (items.size() > 8 ? QStringLiteral(" (%1 entries)").arg(items.size())
                                      : QStringLiteral(" of ") + Quoted(items.join(QStringLiteral(" | ")))) +
                    flags);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const QString kind = qobject_cast<QCheckBox*>(w)      ? QStringLiteral("check")
                                 : qobject_cast<QRadioButton*>(w) ? QStringLiteral("option")
                                                                  : QStringLiteral("button");
            Add(depth, kind, w, Quoted(button->text()) + (button->isChecked() ? QStringLiteral(" checked") : QString()) + flags);
        } else if (auto* hover = qobject_cast<QV_HoverLabel*>(w)) {
            Add(depth, QStringLiteral("button"), w, Quoted(hover->Caption()) + flags);
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->text().isEmpty() || !w->objectName().isEmpty()) Add(depth, QStringLiteral("label"), w, Quoted(label->text()) + flags);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            Add(depth, QStringLiteral("edit"), w, Quoted(edit->text()) + flags);
        } else if (auto* text = qobject_cast<QTextEdit*>(w)) {
            Add(depth, QStringLiteral("text"), w, Quoted(text->toPlainText()) + flags);
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
            Add(depth, QStringLiteral("text"), w, Quoted(plain->toPlainText()) + flags);
        } else {
            // A container: its line only when it holds something shown or has a title.
            const auto* box = qobject_cast<QGroupBox*>(w);
            const bool named = !w->objectName().isEmpty() || box;
            const qsizetype at = out.size();
            if (named) Add(depth, QStringLiteral("frame"), w, ((box ? Quoted(box->title()) : QString()) + flags).trimmed());
            Children(w, depth + named);
            if (named && !box && out.size() == at + 1) out.removeLast();
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

// German number format (the equalizer's band labels) and one drive for the wizard.
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
    // Two playlists with a name and a query, one with a name only.
    Settings.DynPlaylists = {};
    Settings.DynPlaylists[0] = {QStringLiteral("Neue Playlist"), QString()};
    Settings.DynPlaylists[1] = {QStringLiteral("Rock"), QStringLiteral("genre=rock")};
    Settings.DynPlaylists[7] = {QStringLiteral("Gut"), QStringLiteral("rating>=4")};
    LoadFunctionTree();
    LoadFunctionTree();  // no node or entry twice
    Settings.LibraryFolders = QStringLiteral("/musik\r/hörbuch");
    LoadOptions();
    LibraryEntry e;
    e.FileName = QStringLiteral("/musik/Ann/a.mp3");
    e.Tags = {.Title = QStringLiteral("Alpha"), .Artist = QStringLiteral("Ann"), .Album = QStringLiteral("First"),
              .Year = QStringLiteral("1999"), .Lenght = 75, .Bitrate = 128, .Format = QStringLiteral("MPEG"),
              .Genre = QStringLiteral("Rock"), .Track = QStringLiteral("3")};
    e.AddTime = QStringLiteral("01.03.2026 12:00:00");
    e.PlayTime = QStringLiteral("(noch nie)");
    e.TagVer = QStringLiteral("(unbekannt)");
    e.PlayCNT = 2;
    e.Rating = 4;
    Library.Files = {e};

    main->Command(QStringLiteral("Options"));
    Walker dump;
    dump.Window(main);
    if (auto* tray = main->findChild<QSystemTrayIcon*>()) dump.out << QStringLiteral("tray tip ") + Quoted(tray->toolTip());
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
            ASSERT_TRUE(editor->HelpWindow());
            dump.Window(editor->HelpWindow());
        }
    }
    Settings.DynPlaylists = {};
    LoadFunctionTree();  // entries above the first go
    dump.out << QStringLiteral("without playlists:");
    dump.Menu(main->findChild<QMenu*>(QStringLiteral("mPL")), 1);
    ShowSplash();
    SetSplashStep(QStringLiteral("Einstellungen"));
    dump.Window(SplashWindow());
    UnloadSplash();
    frmHotKEnable hotKey(main, [](bool) { return true; });
    dump.Window(&hotKey);
    frmSelectLibraryAction libraryAction(main);
    dump.Window(&libraryAction);
    frmOptions options(main);
    dump.Window(&options);

    QFile expected(QStringLiteral(SAROVIN_WINDOW_TEXTS));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    const QString want = QString::fromUtf8(expected.readAll());
    const QString got = dump.out.join(u'\n') + u'\n';
    if (got == want) return;
    QFile shown(HomeFile(QStringLiteral("WindowTexts.txt")));
    ASSERT_TRUE(shown.open(QIODevice::WriteOnly));
    shown.write(got.toUtf8());
    shown.close();
    QProcess diff;
    diff.start(QStringLiteral("diff"), {QStringLiteral("-u"), expected.fileName(), shown.fileName()});
    diff.waitForFinished();
    ADD_FAILURE() << "The windows differ from " << expected.fileName().toStdString() << ":\n"
                  << diff.readAllStandardOutput().toStdString();
}

} // namespace
