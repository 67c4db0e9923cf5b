// Starting with the desktop: an XDG autostart entry per user,
// $XDG_CONFIG_HOME/autostart/<name>.desktop.
#pragma once

#include <QString>
#include <QStringList>

// The autostart folder: $XDG_CONFIG_HOME/autostart, or $HOME/.config/autostart
// when the variable is unset, empty or not an absolute path.
QString AutoRunFolder();
// The entry file of a name inside AutoRunFolder().
QString AutoRunEntryPath(const QString& name);

// The command that starts this program for the desktop: the executable and
// "/AutoRun", run through env when $SAROVIN_HOME chooses the data folder.
QStringList AutoRunCommand();

// The Exec value of the arguments: each argument in double quotes with " ` $ and
// backslash escaped, % doubled, then the string escapes \\ \n \t \r.
QString DesktopExecValue(const QStringList& arguments);

// Writes the entry <name>.desktop (creating the folder) whole. False, with the
// reason in *reason, when it could not be written, or when the program's path
// holds "=" (the entry format forbids it and env would take it for a variable).
bool SetAutoRun(const QString& name, const QStringList& command, QString* reason = nullptr);
// Deletes the entry; a missing entry is success. False, with the reason in
// *reason, when it could not be deleted.
bool RemoveAutoRun(const QString& name, QString* reason = nullptr);
