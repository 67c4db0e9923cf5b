#include "core/Runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

QString DataFolder()
{
    QString dir = qEnvironmentVariable("SAROVIN_HOME");
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.local/share/Sarovin");
    }
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    QDir().mkpath(dir);
    return dir;
}

QString DataFile(const QString& name)
{
    return DataFolder() + u'/' + name;
}

void Pump()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
