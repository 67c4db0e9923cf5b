// The few user-interface services core code needs, declared here so core stays
// free of widgets. platform/ installs the real ones; tests install answerers.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Answers of a message box.
enum MsgAnswer : int {
    MsgOk = 1,
    MsgCancel = 2,
    MsgAbort = 3,
    MsgRetry = 4,
    MsgIgnore = 5,
    MsgYes = 6,
    MsgNo = 7,
};

// Styles are Windows message-box style numbers: buttons in the low bits
// (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No,
// 5 Retry/Cancel) plus an icon (16 stop, 32 question, 48 exclamation,
// 64 information).
using MessageBoxService = std::function<int(const QString& text, int style, const QString& caption)>;
// Lets the user choose a folder; "" when cancelled.
using FolderDialogService = std::function<QString(const QString& prompt)>;

// The answer of a save dialog: the path chosen ("" when cancelled) and the
// 1-based number of the filter chosen (0 when cancelled).
struct SaveFileAnswer {
    QString Path;
    int FilterIndex = 0;
};
// Filters are Qt filter texts ("XSPF-Playlist (*.xspf)"); initialFilter is 1-based.
using SaveFileDialogService =
    std::function<SaveFileAnswer(const QString& title, const QStringList& filters, int initialFilter)>;

// An empty function removes the service.
void SetMessageBoxService(MessageBoxService service);
void SetFolderDialogService(FolderDialogService service);
void SetSaveFileDialogService(SaveFileDialogService service);

// Shows a modal message and returns the answer. Without a service, or while
// the session ends, the text goes to stderr and the cautious answer comes
// back (OK, else No, else Cancel).
int MsgBox(const QString& text, int style = 0, const QString& caption = QStringLiteral("Sarovin"));
// The answer a box of this style gives when nobody can answer it.
int UnattendedAnswer(int style);

// Asks for a folder through the service; "" without one or while the session ends.
QString AskForFolder(const QString& prompt);
// Asks for a file to save through the service; cancelled without one or while
// the session ends.
SaveFileAnswer AskForSaveFile(const QString& title, const QStringList& filters, int initialFilter = 1);

// Set once the desktop session ends: nothing modal may be shown from then on.
void SetSessionEnding(bool ending);
bool SessionEnding();
