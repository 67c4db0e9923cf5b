#include "ui/main/MainMenus.h"

#include "core/Settings.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>

#include <vector>

namespace {

enum Flag : int { Disabled = 1, Checked = 2, Checkable = 4 };

// One row of the menu table. Kinds: Menu opens a (sub)menu and End closes it;
// Item and Separator are entries; Group is an indexed set of entries with the
// captions joined by "|"; Bar is a command on the menu bar itself.
struct Row {
    enum Kind { Menu, End, Item, Separator, Group, Bar } kind;
    const char* name = "";
    const char* caption = "";
    const char* shortcut = "";
    int flags = 0;
};

constexpr const char* kRatings = "&Nicht bewertet|*|* *|* * *|* * * *|* * * * *";

const std::vector<Row>& MenuTable()
{
    using R = Row;
    static const std::vector<Row> rows = {
        {R::Menu, "mFile", "&Datei"},
        {R::Item, "mFileOpenFile", "&Datei öffnen...", "Ctrl+O"},
        {R::Item, "mFileOpenPlaylist", "&Playlist öffnen...", "Ctrl+P", Disabled},
        {R::Item, "mFileOpenDirectory", "&Verzeichnis öffnen...", "Ctrl+D", Disabled},
        {R::Separator},
        {R::Item, "mFileToTray", "&In den Tray", "Ctrl+T"},
        {R::Item, "mFileClose", "B&eenden", "Ctrl+Q"},
        {R::End},

        {R::Menu, "mView", "&Ansicht"},
        {R::Item, "mViewOverview", "&Übersicht", "", Disabled | Checkable | Checked},
        {R::Menu, "mViewColumns", "&Spalten"},
        {R::Group, "mViewColumn",
         "&Nr.|&Titel|&Interpret|&Album|&Genre|&Dauer|&Bewertung|&Bitrate|&Dateiname|&Grösse|&Jahr|&Format|"
         "&Zuletzt gespielt|&Zähler",
         "", Checkable},
        {R::End},
        {R::End},

        {R::Menu, "mAudio", "&Audio"},
        {R::Item, "mAudioPlaying", "&Wiedergabe", "", Checkable},
        {R::Item, "mAudioNext", "&Nächster Titel"},
        {R::Item, "mAudioPrev", "&Vorheriger Titel"},
        {R::Menu, "mAudioRateParent", "&Titel Bewerten"},
        {R::Group, "mAudioRate", kRatings, "", Checkable},
        {R::End},
        {R::Separator},
        {R::Item, "mAudioSearch", "&Suche...", "Ctrl+F"},
        {R::Item, "mAudioLibrary", "&Bibliothek"},
        {R::Item, "mAudioReloadLibrary", "Bibliothek &neu laden..."},
        {R::Separator},
        {R::Item, "mAudioRandom", "&Zufall", "", Checkable},
        {R::Item, "mAudioRepTitle", "&Titel Wiederholen", "", Checkable},
        {R::Item, "mAudioRepAll", "&Alle Titel Wiederholen", "", Checkable | Checked},
        {R::Item, "mAudioIntro", "&Intro", "", Checkable},
        {R::Separator},
        {R::Item, "mAudioCrossfader", "Enable &Crossfader", "", Checkable},
        {R::Item, "mAudioEnableEQU", "&Equalizer"},
        {R::End},

        {R::Menu, "mTools", "&Tools"},
        {R::Item, "mAudioProp", "&Tag-Editor...", "Ctrl+E"},
        {R::Item, "mTagAutoCap", "&Organizer", "", Disabled},
        {R::Item, "mAudioRecode", "&Recodieren", "", Disabled},
        {R::Item, "mDeviceSyncWiz", "&Synchronisations-Assistent"},
        {R::End},

        {R::Menu, "mPL", "&Wiedergabelisten"},
        {R::Item, "mPLPlaying", "&Aktuelle Wiedergabe"},
        {R::Group, "mPLDynamic", "(keine Playlist)", "", Disabled},
        {R::Separator},
        {R::Item, "mPLExport", "&Exportieren..."},
        {R::Item, "mPLImport", "&Importieren...", "", Disabled},
        {R::Separator},
        {R::Item, "mPLManager", "&Einstellungen..."},
        {R::End},

        {R::Bar, "mAudioOptions", "&Einstellungen"},

        {R::Menu, "mHelp", "&?"},
        {R::Item, "mHelpAbout", "&Info"},
        {R::Item, "mHelpUpdate", "&Update suchen...", "", Disabled},
        {R::End},
    };
    return rows;
}

// The two menus that never show on the bar.
const std::vector<Row>& HiddenMenuTable()
{
    using R = Row;
    static const std::vector<Row> rows = {
        {R::Menu, "mTray", "TrayMenu"},
        {R::Item, "mTrayPlaying", "&Wiedergabe", "", Checkable},
        {R::Item, "mTrayNext", "&Nächstes"},
        {R::Item, "mTrayPrev", "&Voriges"},
        {R::Menu, "mTrayRateParent", "&Titel bewerten"},
        {R::Group, "mTrayRate", kRatings},
        {R::End},
        {R::Item, "mTrayRestore", "&Anzeigen"},
        {R::Separator},
        {R::Item, "mTrayExit", "B&eenden"},
        {R::End},

        {R::Menu, "mContextAudio", "KontextMenu"},
        {R::Item, "mCAPlay", "Jetzt &Abspielen"},
        {R::Item, "mCAPlayNext", "Als &nächstes abspielen"},
        {R::Item, "mCAAddToPlaying", "&Zur Wiedergabe hinzufügen"},
        {R::Item, "mCAReplacePlaying", "&Wiedergabe ersetzen"},
        {R::Menu, "mCARating", "&Titel bewerten"},
        {R::Group, "mCARate", "Nicht bewertet|*|* *|* * *|* * * *|* * * * *"},
        {R::End},
        {R::Separator},
        {R::Item, "mCAProp", "E&igenschaften"},
        {R::End},
    };
    return rows;
}

QAction* MakeAction(QWidget& owner, const QString& name, const QString& caption, const char* shortcut, int flags)
{
    auto* a = new QAction(caption, &owner);
    a->setObjectName(name);
    if (*shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    a->setEnabled(!(flags & Disabled));
    a->setCheckable(flags & (Checkable | Checked));
    a->setChecked(flags & Checked);
    return a;
}

// Adds the rows to the menus; the first Menu row opens under `top`, which is
// the menu bar or nothing (a hidden menu of its own).
void AddRows(QWidget& owner, QMenuBar* bar, const std::vector<Row>& rows)
{
    std::vector<QMenu*> open;
    for (const Row& r : rows) {
        const QString name = QString::fromLatin1(r.name);
        const QString caption = QString::fromUtf8(r.caption);
        switch (r.kind) {
        case Row::Menu: {
            auto* m = new QMenu(caption, &owner);
            m->setObjectName(name);
            m->menuAction()->setObjectName(name + QStringLiteral("Action"));
            if (!open.empty()) open.back()->addMenu(m);
            else if (bar) bar->addMenu(m);
            open.push_back(m);
            break;
        }
        case Row::End: open.pop_back(); break;
        case Row::Separator: open.back()->addSeparator(); break;
        case Row::Item: open.back()->addAction(MakeAction(owner, name, caption, r.shortcut, r.flags)); break;
        case Row::Group: {
            const QStringList captions = caption.split(QLatin1Char('|'));
            for (int i = 0; i < captions.size(); ++i)
                open.back()->addAction(
                    MakeAction(owner, QStringLiteral("%1%2").arg(name).arg(i), captions[i], r.shortcut, r.flags));
            break;
        }
        case Row::Bar: bar->addAction(MakeAction(owner, name, caption, r.shortcut, r.flags)); break;
        }
    }
}

} // namespace

QMenuBar* BuildMainMenus(QWidget& owner)
{
    auto* bar = new QMenuBar(&owner);
    bar->setObjectName(QStringLiteral("MenuBar"));
    AddRows(owner, bar, MenuTable());
    AddRows(owner, nullptr, HiddenMenuTable());
    if (auto* context = owner.findChild<QMenu*>(QStringLiteral("mContextAudio")))
        context->setDefaultAction(MenuAction(owner, QStringLiteral("mCAPlay")));
    return bar;
}

QAction* MenuAction(const QWidget& owner, const QString& name)
{
    return owner.findChild<QAction*>(name);
}

QAction* MenuAction(const QWidget& owner, const QString& group, int index)
{
    return MenuAction(owner, QStringLiteral("%1%2").arg(group).arg(index));
}

QList<QAction*> MenuGroup(const QWidget& owner, const QString& group)
{
    QList<QAction*> out;
    for (int i = 0;; ++i) {
        QAction* a = MenuAction(owner, group, i);
        if (!a) return out;
        out.append(a);
    }
}

QList<DynPlaylistEntry> ShownDynPlaylists()
{
    QList<DynPlaylistEntry> out;
    for (int s = 0; s < DynPlaylistCount; ++s) {
        const DynPlaylist& p = Settings.DynPlaylists[s];
        if (!p.Name.isEmpty() && !p.Query.isEmpty()) out.append({p.Name, s});
    }
    return out;
}

namespace {

QTreeWidgetItem* AddNode(QTreeWidget& tree, QTreeWidgetItem* parent, const QString& key, const QString& text,
                         bool bold = false)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree);
    item->setText(0, text);
    item->setData(0, Qt::UserRole, key);
    if (bold) {
        QFont f = item->font(0);
        f.setBold(true);
        item->setFont(0, f);
    }
    return item;
}

// The slot an mPLDynamic entry runs.
constexpr const char* kSlotProperty = "slot";

// A name as a menu caption: its "&" shown, not taken as the access key.
QString MenuCaption(QString name)
{
    return name.replace(u'&', QStringLiteral("&&"));
}

} // namespace

QString DynPlaylistCommand(const QAction* action)
{
    if (!action) return QString();
    const QVariant slot = action->property(kSlotProperty);
    if (!slot.isValid()) return QString();
    return QStringLiteral("PLDynamic%1").arg(slot.toInt());
}

void RebuildFunctionTree(QTreeWidget& tree, QWidget& owner)
{
    tree.clear();
    const QList<DynPlaylistEntry> shown = ShownDynPlaylists();

    QTreeWidgetItem* pl = AddNode(tree, nullptr, QStringLiteral("PL"), QStringLiteral("Wiedergabelisten"), true);
    AddNode(tree, pl, QStringLiteral("AudioLibrary"), QStringLiteral("Alle Titel"));
    AddNode(tree, pl, QStringLiteral("AudioPlaying"), QStringLiteral("Jukebox"));
    for (const DynPlaylistEntry& p : shown)
        AddNode(tree, pl, QStringLiteral("PLDynamic%1").arg(p.Slot), p.Name);
    QTreeWidgetItem* tools = AddNode(tree, nullptr, QStringLiteral("Tools"), QStringLiteral("Tools"), true);
    AddNode(tree, tools, QStringLiteral("AudioProp"), QStringLiteral("Tag-Editor"));
    AddNode(tree, tools, QStringLiteral("AudioDJStudio"), QStringLiteral("DJ-Studio"));
    AddNode(tree, tools, QStringLiteral("AudioRecode"), QStringLiteral("Recodieren"));
    AddNode(tree, tools, QStringLiteral("AudioOrganize"), QStringLiteral("Organisieren"));
    AddNode(tree, nullptr, QStringLiteral("Options"), QStringLiteral("Einstellungen"), true);
    tree.expandAll();

    // Entries above 0 go; entry 0 stays and is reused.
    QList<QAction*> entries = MenuGroup(owner, QStringLiteral("mPLDynamic"));
    if (entries.isEmpty()) return;
    QAction* first = entries.takeFirst();
    qDeleteAll(entries);
    auto* menu = owner.findChild<QMenu*>(QStringLiteral("mPL"));
    if (shown.isEmpty()) {
        first->setText(QStringLiteral("(keine Playlist)"));
        first->setEnabled(false);
        first->setProperty(kSlotProperty, QVariant());
        return;
    }
    first->setText(MenuCaption(shown[0].Name));
    first->setEnabled(true);
    first->setProperty(kSlotProperty, shown[0].Slot);
    QAction* before = nullptr;
    if (menu) {
        const QList<QAction*> all = menu->actions();
        const qsizetype at = all.indexOf(first);
        if (at >= 0 && at + 1 < all.size()) before = all[at + 1];
    }
    for (qsizetype k = 1; k < shown.size(); ++k) {
        auto* a = new QAction(MenuCaption(shown[k].Name), &owner);
        a->setObjectName(QStringLiteral("mPLDynamic%1").arg(k));
        a->setProperty(kSlotProperty, shown[k].Slot);
        if (menu) menu->insertAction(before, a);
    }
}
