#include "ui/main/MainMenus.h"

#include "core/Settings.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// One line per entry: name, caption, shortcut and state; "-" a separator;
// a submenu's entries follow it indented.
void Dump(const QMenu& menu, const QString& indent, QStringList& out)
{
    for (QAction* a : menu.actions()) {
        if (a->isSeparator()) {
            out << indent + QStringLiteral("-");
            continue;
        }
        QString state;
        if (!a->isEnabled()) state += QStringLiteral(" disabled");
        if (a->isChecked()) state += QStringLiteral(" checked");
        if (menu.defaultAction() == a) state += QStringLiteral(" default");
        const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
        QString line = indent + name + QStringLiteral(" \"") + a->text() + QLatin1Char('"');
        if (!a->shortcut().isEmpty()) line += QLatin1Char(' ') + a->shortcut().toString();
        out << line + state;
        if (a->menu()) Dump(*a->menu(), indent + QStringLiteral("  "), out);
    }
}

QStringList DumpAll(QWidget& owner, QMenuBar& bar)
{
    QStringList out;
    for (QAction* a : bar.actions()) {
        if (a->menu()) {
            out << a->menu()->objectName() + QStringLiteral(" \"") + a->text() + QLatin1Char('"');
            Dump(*a->menu(), QStringLiteral("  "), out);
        } else {
            out << a->objectName() + QStringLiteral(" \"") + a->text() + QStringLiteral("\" (bar)");
        }
    }
    for (const char* hidden : {"mTray", "mContextAudio"}) {
        QMenu* m = owner.findChild<QMenu*>(QString::fromLatin1(hidden));
        if (!m) {
            out << QStringLiteral("missing ") + QString::fromLatin1(hidden);
            continue;
        }
        out << m->objectName() + QStringLiteral(" \"") + m->title() + QStringLiteral("\" (hidden)");
        Dump(*m, QStringLiteral("  "), out);
    }
    return out;
}

// The expected dump may hold several entries of one level on a line, joined by " | ".
QStringList Lines(const char* table)
{
    QStringList out;
    for (const QString& line : QString::fromUtf8(table).split(u'\n')) {
        const QString indent = line.left(line.size() - line.trimmed().size());
        for (const QString& entry : line.trimmed().split(QStringLiteral(" | "))) out << indent + entry;
    }
    return out;
}

TEST(MainMenus, EveryMenuAsTabled)
{
    QWidget owner;
    QMenuBar* bar = BuildMainMenus(owner);
    const QStringList expected = Lines(R"menu(mFile "&Datei"
  mFileOpenFile "&Datei öffnen..." Ctrl+O | mFileOpenPlaylist "&Playlist öffnen..." Ctrl+P disabled
  mFileOpenDirectory "&Verzeichnis öffnen..." Ctrl+D disabled | - | mFileToTray "&In den Tray" Ctrl+T
  mFileClose "B&eenden" Ctrl+Q
mView "&Ansicht"
  mViewOverview "&Übersicht" disabled checked | mViewColumns "&Spalten"
    mViewColumn0 "&Nr." | mViewColumn1 "&Titel" | mViewColumn2 "&Interpret" | mViewColumn3 "&Album"
    mViewColumn4 "&Genre" | mViewColumn5 "&Dauer" | mViewColumn6 "&Bewertung" | mViewColumn7 "&Bitrate"
    mViewColumn8 "&Dateiname"
    mViewColumn9 "&Grösse" | mViewColumn10 "&Jahr" | mViewColumn11 "&Format" | mViewColumn12 "&Zuletzt gespielt"
    mViewColumn13 "&Zähler"
mAudio "&Audio"
  mAudioPlaying "&Wiedergabe" | mAudioNext "&Nächster Titel" | mAudioPrev "&Vorheriger Titel"
  mAudioRateParent "&Titel Bewerten"
    mAudioRate0 "&Nicht bewertet" | mAudioRate1 "*" | mAudioRate2 "* *" | mAudioRate3 "* * *" | mAudioRate4 "* * * *"
    mAudioRate5 "* * * * *"
  - | mAudioSearch "&Suche..." Ctrl+F | mAudioLibrary "&Bibliothek" | mAudioReloadLibrary "Bibliothek &neu laden..." | -
  mAudioRandom "&Zufall" | mAudioRepTitle "&Titel Wiederholen" | mAudioRepAll "&Alle Titel Wiederholen" checked
  mAudioIntro "&Intro" | - | mAudioCrossfader "Enable &Crossfader" | mAudioEnableEQU "&Equalizer"
mTools "&Tools"
  mAudioProp "&Tag-Editor..." Ctrl+E | mTagAutoCap "&Organizer" disabled | mAudioRecode "&Recodieren" disabled
  mDeviceSyncWiz "&Synchronisations-Assistent"
mPL "&Wiedergabelisten"
  mPLPlaying "&Aktuelle Wiedergabe" | mPLDynamic0 "(keine Playlist)" disabled | - | mPLExport "&Exportieren..."
  mPLImport "&Importieren..." disabled | - | mPLManager "&Einstellungen..."
mAudioOptions "&Einstellungen" (bar)
mHelp "&?"
  mHelpAbout "&Info" | mHelpUpdate "&Update suchen..." disabled
mTray "TrayMenu" (hidden)
  mTrayPlaying "&Wiedergabe" | mTrayNext "&Nächstes" | mTrayPrev "&Voriges" | mTrayRateParent "&Titel bewerten"
    mTrayRate0 "&Nicht bewertet" | mTrayRate1 "*" | mTrayRate2 "* *" | mTrayRate3 "* * *" | mTrayRate4 "* * * *"
    mTrayRate5 "* * * * *"
  mTrayRestore "&Anzeigen" | - | mTrayExit "B&eenden"
mContextAudio "KontextMenu" (hidden)
  mCAPlay "Jetzt &Abspielen" default | mCAPlayNext "Als &nächstes abspielen"
  mCAAddToPlaying "&Zur Wiedergabe hinzufügen" | mCAReplacePlaying "&Wiedergabe ersetzen" | mCARating "&Titel bewerten"
    mCARate0 "Nicht bewertet" | mCARate1 "*" | mCARate2 "* *" | mCARate3 "* * *" | mCARate4 "* * * *"
    mCARate5 "* * * * *"
  - | mCAProp "E&igenschaften")menu");
    EXPECT_EQ(DumpAll(owner, *bar).join(u'\n').toStdString(), expected.join(u'\n').toStdString());
    for (const char* toggle : {"mAudioRandom", "mAudioRepTitle", "mAudioIntro", "mAudioCrossfader", "mViewColumn3"})
        EXPECT_TRUE(MenuAction(owner, QString::fromLatin1(toggle))->isCheckable()) << toggle;
}

// The tree as "key caption", children indented, roots marked when bold; the
// playlist menu's entries as "name caption command".
QStringList TreeAndMenu(const QTreeWidget& tree, QWidget& owner)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it) {
        const QTreeWidgetItem* n = *it;
        out << (n->parent() ? "  " : "") + n->data(0, Qt::UserRole).toString() + ' ' + n->text(0) +
                   (n->font(0).bold() ? " bold" : "") + (n->childCount() && !n->isExpanded() ? " closed" : "");
    }
    for (QAction* a : owner.findChild<QMenu*>("mPL")->actions())
        if (a->objectName().startsWith("mPLDynamic"))
            out << a->objectName() + ' ' + a->iconText() + ' ' + DynPlaylistCommand(a) +
                       (a->isEnabled() ? "" : " disabled");
    return out;
}

TEST(MainMenus, TreeAndPlaylistMenuFollowTheStoredPlaylists)
{
    const SettingsRecord saved = Settings;
    QWidget owner;
    BuildMainMenus(owner);
    QTreeWidget tree;
    // Two playlists, then none: the rebuild leaves no entry or node behind.
    Settings.DynPlaylists = {};
    Settings.DynPlaylists[0] = {"Neue Playlist", ""};
    Settings.DynPlaylists[1] = {"Rock & Pop", "genre=rock"};  // "&" shows as it is
    Settings.DynPlaylists[7] = {"R&B", "rating>=4"};
    RebuildFunctionTree(tree, owner);
    RebuildFunctionTree(tree, owner);
    EXPECT_EQ(TreeAndMenu(tree, owner), Lines(R"(PL Wiedergabelisten bold
  AudioLibrary Alle Titel | AudioPlaying Jukebox | PLDynamic1 Rock & Pop | PLDynamic7 R&B
Tools Tools bold
  AudioProp Tag-Editor | AudioDJStudio DJ-Studio | AudioRecode Recodieren | AudioOrganize Organisieren
Options Einstellungen bold
mPLDynamic0 Rock & Pop PLDynamic1 | mPLDynamic1 R&B PLDynamic7)"));
    // New entries sit with entry 0, before the separator.
    EXPECT_TRUE(owner.findChild<QMenu*>("mPL")->actions()[3]->isSeparator());

    Settings.DynPlaylists = {};
    RebuildFunctionTree(tree, owner);
    EXPECT_EQ(TreeAndMenu(tree, owner).mid(1, 2) + TreeAndMenu(tree, owner).mid(9),
              (QStringList{"  AudioLibrary Alle Titel", "  AudioPlaying Jukebox",
                           "mPLDynamic0 (keine Playlist)  disabled"}));
    Settings = saved;
}

} // namespace
