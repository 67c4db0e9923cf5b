#include "core/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex syncMutex;
std::function<int(int)>& SyncSeam()
{
    static std::function<int(int)> sync;
    return sync;
}

// fdatasync for a file, fsync for a folder, unless a test stands in.
int Sync(int fd, int (*sync)(int))
{
    {
        std::lock_guard lock(syncMutex);
        if (SyncSeam()) return SyncSeam()(fd);
    }
    return sync(fd);
}

QByteArray FolderOf(const QByteArray& file)
{
    const qsizetype slash = file.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : file.left(slash);
}

// The file a path names once its symbolic links are followed; a link that
// leads nowhere names the file it would lead to. A relative target is taken
// from the link's own folder as the system takes it: "sub/.." is where sub
// leads, then up, so no ".." is ever resolved by text.
QByteArray FollowLinks(const QString& path, int* error)
{
    QByteArray p = QFile::encodeName(path);
    if (!p.startsWith('/')) p = QFile::encodeName(QDir::currentPath()) + '/' + p;
    char target[PATH_MAX];
    for (int hops = 0; hops < 40; ++hops) {
        const ssize_t n = ::readlink(p.constData(), target, sizeof target);
        // Not a link, or nothing there: this is the file. Any other reason
        // shows again, and is told, when the file is opened.
        if (n < 0) return p;
        if (size_t(n) >= sizeof target) {
            *error = ENAMETOOLONG;
            return {};
        }
        const QByteArray to(target, n);
        if (!to.startsWith('/')) {
            const QByteArray folder = FolderOf(p);
            p = folder.endsWith('/') ? folder + to : folder + '/' + to;
        } else {
            p = to;
        }
    }
    *error = ELOOP;
    return {};
}

} // namespace

QString SystemErrorText(int error)
{
    char buf[256];
    return QString::fromLocal8Bit(strerror_r(error, buf, sizeof buf));
}

WholeFile::WholeFile(const QString& path)
{
    Open(path);
}

void WholeFile::Open(const QString& path)
{
    int error = 0;
    const QByteArray target = FollowLinks(path, &error);
    if (error) return Fail(error);
    final_ = QFile::decodeName(target);

    struct stat st = {};
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (!exists && errno != ENOENT) return Fail(errno);
    // As a plain open would: a file we may not write is not replaced either.
    if (exists && ::access(target.constData(), W_OK) != 0) return Fail(errno);

    // Created with 0666 so that a new file gets what the umask allows.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        QByteArray name = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) temp_ = std::move(name);
        else if (errno != EEXIST) return Fail(errno);
    }
    if (fd_ < 0) return Fail(EEXIST);
    if (exists && ::fchmod(fd_, st.st_mode & 07777) != 0) Fail(errno);
}

WholeFile::~WholeFile()
{
    if (!committed_) RemoveTemporary();
}

void WholeFile::Fail(int error)
{
    if (error_.isEmpty()) error_ = SystemErrorText(error);
}

void WholeFile::Abandon(int error)
{
    Fail(error);
    RemoveTemporary();
}

void WholeFile::RemoveTemporary()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
    temp_.clear();
}

bool WholeFile::Write(QByteArrayView bytes)
{
    if (!error_.isEmpty()) return false;
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
            return false;
        }
        if (n == 0) {  // no progress and no reason: not worth waiting for
            Fail(EIO);
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

bool WholeFile::Commit()
{
    if (committed_) return error_.isEmpty();
    if (error_.isEmpty() && Sync(fd_, ::fdatasync) != 0) Fail(errno);
    if (!error_.isEmpty()) {
        RemoveTemporary();
        return false;
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 || ::rename(temp_.constData(), QFile::encodeName(final_).constData()) != 0) {
        Fail(errno);
        RemoveTemporary();
        return false;
    }
    temp_.clear();
    committed_ = true;
    // The rename itself reaches the disk only with its folder.
    if (const int error = SyncFolderOf(final_)) {
        Fail(error);
        return false;
    }
    return true;
}

int SyncFolderOf(const QString& path)
{
    const int folder = ::open(FolderOf(QFile::encodeName(path)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return errno;
    const int error = Sync(folder, ::fsync) == 0 ? 0 : errno;
    ::close(folder);
    return error;
}

QString WriteWholeFile(const QString& path, QByteArrayView bytes)
{
    WholeFile file(path);
    file.Write(bytes);
    file.Commit();
    return file.Error();
}

QString WriteWholeFile(const QString& path, const QByteArrayList& chunks)
{
    WholeFile file(path);
    for (const QByteArray& chunk : chunks)
        if (!file.Write(chunk)) break;
    file.Commit();
    return file.Error();
}

void SetWholeFileSync(std::function<int(int fd)> sync)
{
    std::lock_guard lock(syncMutex);
    SyncSeam() = std::move(sync);
}
