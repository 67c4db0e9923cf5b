// The main window's menus: the menu bar, the hidden tray menu `mTray` and the
// list's context menu `mContextAudio`, built from one table. Every action and
// menu is a child of the window that owns them and carries its name as
// objectName; entries of an indexed group are named "<group><index>"
// ("mViewColumn3", "mAudioRate0", "mPLDynamic0").
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class QAction;
class QMenu;
class QMenuBar;
class QTreeWidget;
class QWidget;

// Builds every menu under owner and returns the menu bar (a child of owner,
// not yet placed). The hidden menus are found by name: owner.findChild<QMenu*>("mTray").
QMenuBar* BuildMainMenus(QWidget& owner);

// The action named name under owner (nullptr when absent).
QAction* MenuAction(const QWidget& owner, const QString& name);
QAction* MenuAction(const QWidget& owner, const QString& group, int index);

// The indexed entries of a group, in index order.
QList<QAction*> MenuGroup(const QWidget& owner, const QString& group);

// One playlist in the tree and the menu: its name and the slot it runs.
struct DynPlaylistEntry {
    QString Name;
    int Slot = 0;
};
// The playlists shown: every slot whose name and query are both set, in slot order.
QList<DynPlaylistEntry> ShownDynPlaylists();

// The command an mPLDynamic entry sends ("PLDynamic" and its slot); "" for
// any other action and for entry 0 while no playlist is shown.
QString DynPlaylistCommand(const QAction* action);

// Rebuilds the tree and the mPLDynamic entries under owner from the settings.
// With no playlist shown, entry 0 reads "(keine Playlist)" and is disabled.
void RebuildFunctionTree(QTreeWidget& tree, QWidget& owner);
