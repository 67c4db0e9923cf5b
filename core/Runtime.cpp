#include "core/Runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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

namespace {

// The real clock, not the injectable one: this only bounds how often events
// get a turn, and a test's frozen clock must not starve them.
QElapsedTimer& SinceLastPump()
{
    static QElapsedTimer timer;
    return timer;
}

} // namespace

void Pump()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    SinceLastPump().start();
}

void PumpIfDue()
{
    // Well inside a frame at 60 Hz; a turn costs about a microsecond.
    constexpr qint64 kIntervalNs = 5'000'000;
    const QElapsedTimer& since = SinceLastPump();
    if (!since.isValid() || since.nsecsElapsed() >= kIntervalNs) Pump();
}
