#include "platform/DeviceCopy.h"

#include "core/Files.h"

#include <QFile>
#include <QSet>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t BlockBytes = size_t(1) << 20;

// Our temporary files: the prefix and mkostemp's six letters or digits.
constexpr char TempPrefix[] = ".sarovin-";
constexpr size_t TempPrefixLength = sizeof(TempPrefix) - 1;
constexpr size_t TempSuffixLength = 6;

bool IsOurTemp(const char* name)
{
    if (std::strncmp(name, TempPrefix, TempPrefixLength) != 0) return false;
    const char* suffix = name + TempPrefixLength;
    if (std::strlen(suffix) != TempSuffixLength) return false;
    for (const char* c = suffix; *c; ++c)
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9'))) return false;
    return true;
}

std::mutex g_hookMutex;
CopyBlockHook g_hook;

CopyBlockHook CurrentHook()
{
    std::lock_guard lock(g_hookMutex);
    return g_hook;
}

enum class Outcome { Copied, Failed, Cancelled };

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { if (fd_ >= 0) ::close(fd_); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports whether the close failed; a delayed write error shows here.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::optional<std::string> RealPath(const QByteArray& path)
{
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved) return std::nullopt;
    std::string out(resolved);
    std::free(resolved);
    return out;
}

bool Inside(const std::string& root, const std::optional<std::string>& path)
{
    if (!path) return false;
    return *path == root || (path->size() > root.size() && path->compare(0, root.size(), root) == 0
                             && (*path)[root.size()] == '/');
}

// The canonical path of the nearest folder of the path that exists already:
// the folders CreatePath would make go there.
std::optional<std::string> NearestExisting(QString path)
{
    while (!path.isEmpty()) {
        if (auto real = RealPath(QFile::encodeName(path))) return real;
        if (errno != ENOENT) return std::nullopt;
        path = GetParentFolder(path);
    }
    return std::nullopt;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool RootOnDevice(const CopyPlan& plan, const std::string& canonicalRoot)
{
    struct stat rootStat {};
    return !canonicalRoot.empty() && ::stat(QFile::encodeName(plan.Root).constData(), &rootStat) == 0
           && uint64_t(rootStat.st_dev) == plan.Device;
}

// A copy cut off by a pulled or read-only drive leaves its temporary file in
// the target folder; the next copy into that folder takes it away.
void RemoveLeftovers(const CopyPlan& plan, const std::string& canonicalRoot)
{
    if (!RootOnDevice(plan, canonicalRoot)) return;
    QSet<QString> folders;
    for (const CopyJob& job : plan.Jobs) folders.insert(GetParentFolder(job.Target));
    for (const QString& folder : folders) {
        const auto real = RealPath(QFile::encodeName(folder));
        if (!Inside(canonicalRoot, real)) continue;
        DIR* dir = ::opendir(real->c_str());
        if (!dir) continue;
        while (const dirent* entry = ::readdir(dir)) {
            struct stat st {};
            if (IsOurTemp(entry->d_name) && ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISREG(st.st_mode))
                ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::closedir(dir);
    }
}

// Where the kernel cannot copy between these two files, a read/write loop does.
bool RangeCopyUnsupported(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

} // namespace

void SetCopyBlockHook(CopyBlockHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(hook);
}

DeviceCopier::DeviceCopier(CopyPlan plan, QObject* parent)
    : QObject(parent), plan_(std::move(plan)), hook_(CurrentHook())
{
}

DeviceCopier::~DeviceCopier()
{
    Cancel();
    Wait();
}

void DeviceCopier::Start()
{
    if (worker_.joinable()) return;
    running_ = true;
    worker_ = std::thread([this] { Run(); });
}

void DeviceCopier::Cancel()
{
    cancel_ = true;
}

void DeviceCopier::Wait()
{
    if (worker_.joinable()) worker_.join();
}

namespace {

// One file on the worker. Everything it uses is its own or the plan's.
class FileCopy {
public:
    FileCopy(const CopyPlan& plan, const std::string& canonicalRoot, const CopyBlockHook& hook,
             const std::atomic<bool>& cancel)
        : plan_(plan), root_(canonicalRoot), hook_(hook), cancel_(cancel)
    {
    }

    Outcome Run(int index)
    {
        const CopyJob& job = plan_.Jobs[index];
        // An unplugged stick leaves its empty mount folder on the system disk.
        if (!RootOnDevice(plan_, root_)) return Outcome::Failed;

        Fd in(::open(QFile::encodeName(job.Source).constData(), O_RDONLY | O_CLOEXEC));
        struct stat source {};
        if (in.get() < 0 || ::fstat(in.get(), &source) != 0 || !S_ISREG(source.st_mode)) return Outcome::Failed;

        // A link on the device must not lead the folders or the file outside its root.
        const QString parent = GetParentFolder(job.Target);
        if (!Inside(root_, NearestExisting(parent))) return Outcome::Failed;
        QStringList made;  // outermost first
        for (QString p = parent; !p.isEmpty() && ::access(QFile::encodeName(p).constData(), F_OK) != 0;
             p = GetParentFolder(p))
            made.prepend(p);
        CreatePath(parent);
        if (!Inside(root_, RealPath(QFile::encodeName(parent)))) return Outcome::Failed;
        // A new folder lasts only once its entry in the folder above does.
        for (const QString& folder : made)
            if (!SyncFolder(QFile::encodeName(GetParentFolder(folder)), index)) return Outcome::Failed;

        const QByteArray target = QFile::encodeName(job.Target);
        struct stat existing {};
        if (::stat(target.constData(), &existing) == 0 && existing.st_dev == source.st_dev
            && existing.st_ino == source.st_ino)
            return Outcome::Copied;  // the library file already is its own copy

        const QByteArray folder = QFile::encodeName(parent);
        std::string temp = folder.toStdString() + '/' + TempPrefix + std::string(TempSuffixLength, 'X');
        Fd out(::mkostemp(temp.data(), O_CLOEXEC));
        if (out.get() < 0) return Outcome::Failed;
        Outcome result = CopyData(in.get(), out.get(), index);
        if (result == Outcome::Copied) {
            [[maybe_unused]] const int modeSet = ::fchmod(out.get(), source.st_mode & 07777);
            if (::fdatasync(out.get()) != 0) result = Outcome::Failed;
        }
        if (!out.Close() && result == Outcome::Copied) result = Outcome::Failed;
        if (result == Outcome::Copied && ::rename(temp.c_str(), target.constData()) != 0) result = Outcome::Failed;
        if (result != Outcome::Copied) {
            ::unlink(temp.c_str());
            return result;
        }
        // The rename lasts only once the folder is flushed; a drive gone read-only fails here.
        return SyncFolder(folder, index) ? Outcome::Copied : Outcome::Failed;
    }

private:
    bool SyncFolder(const QByteArray& folder, int index)
    {
        if (hook_) {
            if (const int error = hook_(index, CopyFolderSync)) {
                errno = error;
                return false;
            }
        }
        Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        return dir.get() >= 0 && ::fsync(dir.get()) == 0;
    }

    Outcome CopyData(int in, int out, int index)
    {
        bool kernelCopy = true;
        int64_t written = 0;
        for (;;) {
            if (cancel_) return Outcome::Cancelled;
            if (hook_) {
                if (const int error = hook_(index, written)) {
                    errno = error;
                    return Outcome::Failed;
                }
            }
            ssize_t n;
            if (kernelCopy) {
                n = ::copy_file_range(in, nullptr, out, nullptr, BlockBytes, 0);
                if (n < 0 && written == 0 && RangeCopyUnsupported(errno)) {
                    kernelCopy = false;
                    continue;
                }
            } else {
                buffer_.resize(BlockBytes);
                n = ::read(in, buffer_.data(), BlockBytes);
                if (n > 0 && !WriteAll(out, buffer_.data(), size_t(n))) return Outcome::Failed;
            }
            if (n < 0) {
                if (errno == EINTR) continue;
                return Outcome::Failed;
            }
            if (n == 0) return Outcome::Copied;
            written += n;
        }
    }

    const CopyPlan& plan_;
    const std::string& root_;
    const CopyBlockHook& hook_;
    const std::atomic<bool>& cancel_;
    std::vector<char> buffer_;
};

} // namespace

void DeviceCopier::Run()
{
    const QByteArray root = QFile::encodeName(plan_.Root);
    const std::string canonicalRoot = RealPath(root).value_or(std::string());
    RemoveLeftovers(plan_, canonicalRoot);
    FileCopy file(plan_, canonicalRoot, hook_, cancel_);
    for (int i = 0; i < plan_.Jobs.size() && !cancel_; ++i) {
        current_ = i;
        const Outcome result = file.Run(i);
        if (result == Outcome::Cancelled) break;
        ++attempted_;
        if (result == Outcome::Copied) {
            ++copied_;
            doneBytes_ = doneBytes_ + plan_.Jobs[i].Bytes;
        }
    }
    if (!cancel_) current_ = int(plan_.Jobs.size());
    running_ = false;
    QMetaObject::invokeMethod(this, &DeviceCopier::Finished, Qt::QueuedConnection);
}
