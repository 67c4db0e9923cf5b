#include "core/Files.h"

#include "core/UiServices.h"

#include <QDir>

QString GetFileName(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString GetFileExtension(const QString& path)
{
    const QString name = GetFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString GetParentFolder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

QString BrowseFolder(const QString& prompt)
{
    return AskForFolder(prompt);
}

void CreatePath(const QString& path)
{
    if (!path.isEmpty()) QDir().mkpath(path);
}
