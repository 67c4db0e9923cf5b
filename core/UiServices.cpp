#include "core/UiServices.h"

#include <cstdio>

namespace {

MessageBoxService& MessageBoxes()
{
    static MessageBoxService service;
    return service;
}

FolderDialogService& FolderDialogs()
{
    static FolderDialogService service;
    return service;
}

SaveFileDialogService& SaveFileDialogs()
{
    static SaveFileDialogService service;
    return service;
}

bool sessionEnding = false;

} // namespace

void SetMessageBoxService(MessageBoxService service)
{
    MessageBoxes() = std::move(service);
}

void SetFolderDialogService(FolderDialogService service)
{
    FolderDialogs() = std::move(service);
}

void SetSaveFileDialogService(SaveFileDialogService service)
{
    SaveFileDialogs() = std::move(service);
}

int UnattendedAnswer(int style)
{
    switch (style & 7) {
    case 0: return MsgOk;
    case 2: return MsgAbort;
    case 4: return MsgNo;
    default: return MsgCancel;
    }
}

int MsgBox(const QString& text, int style, const QString& caption)
{
    if (sessionEnding || !MessageBoxes()) {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
        return UnattendedAnswer(style);
    }
    return MessageBoxes()(text, style, caption);
}

QString AskForFolder(const QString& prompt)
{
    if (sessionEnding || !FolderDialogs()) return QString();
    return FolderDialogs()(prompt);
}

SaveFileAnswer AskForSaveFile(const QString& title, const QStringList& filters, int initialFilter)
{
    if (sessionEnding || !SaveFileDialogs()) return {};
    SaveFileAnswer answer = SaveFileDialogs()(title, filters, initialFilter);
    if (answer.Path.isEmpty()) return {};
    return answer;
}

void SetSessionEnding(bool ending)
{
    sessionEnding = ending;
}

bool SessionEnding()
{
    return sessionEnding;
}
