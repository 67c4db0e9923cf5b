#include "tests/support/FileSizeLimit.h"

#include "core/WholeFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int RunWithFileSizeLimit(long long limit, const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        const struct rlimit r = {rlim_t(limit), rlim_t(limit)};
        std::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(3);
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int StatusForLimitedWrite(const QString& reason)
{
    if (reason.isEmpty()) return 1;
    return reason == SystemErrorText(EFBIG) ? 0 : 2;
}

QMap<QString, QByteArray> FolderSnapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(dir.filePath(name));
        files.insert(name, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}
