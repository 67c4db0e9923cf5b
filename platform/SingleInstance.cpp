#include "platform/SingleInstance.h"

#include "core/Runtime.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {

// Why the folder could not be made, found by trying again.
QString FolderFailure(const QString& folder)
{
    if (QFileInfo::exists(folder)) return QStringLiteral("An seiner Stelle liegt eine Datei.");
    QString path = folder;
    // The deepest existing folder on the way decides.
    while (!QFileInfo::exists(QFileInfo(path).path()) && QFileInfo(path).path() != path) path = QFileInfo(path).path();
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) {
        ::rmdir(QFile::encodeName(path).constData());
        return QStringLiteral("unbekannter Fehler.");
    }
    const int error = errno;
    if (error == EACCES || error == EPERM || error == EROFS) return QStringLiteral("keine Berechtigung.");
    if (error == ENOTDIR || error == EEXIST)
        return QStringLiteral("%1 ist kein Ordner.").arg(QDir::toNativeSeparators(QFileInfo(path).path()));
    return QString::fromLocal8Bit(std::strerror(error));
}

std::unique_ptr<QLockFile>& Lock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

} // namespace

bool AcquireSingleInstanceLock(QString* failure)
{
    if (failure) failure->clear();
    if (Lock()) return true;
    const QString folder = DataFolder();
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QFileInfo(folder).isDir()) {
        if (failure) *failure = QStringLiteral("Der Datenordner %1 kann nicht angelegt werden: %2").arg(shown, FolderFailure(folder));
        return false;
    }
    auto lock = std::make_unique<QLockFile>(folder + QStringLiteral("/Sarovin.lock"));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        // Only a lock held by someone else means another instance.
        if (failure && lock->error() != QLockFile::LockFailedError)
            *failure = QStringLiteral("Im Datenordner %1 kann die Sperrdatei Sarovin.lock nicht angelegt werden: %2")
                           .arg(shown, lock->error() == QLockFile::PermissionError ? QStringLiteral("keine Berechtigung.")
                                                                                  : QStringLiteral("unbekannter Fehler."));
        return false;
    }
    Lock() = std::move(lock);
    return true;
}

void ReleaseSingleInstanceLock()
{
    if (!Lock()) return;
    Lock()->unlock();
    Lock().reset();
}

bool HoldsSingleInstanceLock()
{
    return Lock() != nullptr;
}
