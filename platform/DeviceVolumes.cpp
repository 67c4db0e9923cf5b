#include "platform/DeviceVolumes.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

VolumeSource& Source()
{
    static VolumeSource source;
    return source;
}

// File systems that hold no device's files.
bool IsPseudoFileSystem(const QByteArray& type)
{
    static const QByteArray pseudo[] = {
        "autofs", "binfmt_misc", "bpf", "cgroup", "cgroup2", "configfs", "debugfs", "devpts",
        "devtmpfs", "efivarfs", "fusectl", "hugetlbfs", "mqueue", "nsfs", "overlay", "proc",
        "pstore", "ramfs", "rpc_pipefs", "securityfs", "selinuxfs", "squashfs", "sysfs",
        "tmpfs", "tracefs",
    };
    return std::find(std::begin(pseudo), std::end(pseudo), type) != std::end(pseudo);
}

bool IsMediaMount(const QString& root)
{
    return root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/"));
}

DeviceVolume VolumeOf(const QStorageInfo& s)
{
    DeviceVolume v;
    v.Root = s.rootPath();
    v.Label = s.name().isEmpty() ? QFileInfo(v.Root).fileName() : s.name();
    v.FileSystem = QString::fromLatin1(s.fileSystemType());
    v.TotalBytes = double(s.bytesTotal());
    v.FreeBytes = double(s.bytesAvailable());
    v.Serial = VolumeSerialText(VolumeIdOf(QString::fromLocal8Bit(s.device())));
    struct stat st {};
    if (::stat(QFile::encodeName(v.Root).constData(), &st) == 0) v.Device = uint64_t(st.st_dev);
    return v;
}

} // namespace

QVector<DeviceVolume> MountedDeviceVolumes()
{
    QVector<DeviceVolume> media, others;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid() || !s.isReady() || s.isReadOnly() || s.isRoot()) continue;
        if (IsPseudoFileSystem(s.fileSystemType())) continue;
        if (::access(QFile::encodeName(s.rootPath()).constData(), W_OK) != 0) continue;
        (IsMediaMount(s.rootPath()) ? media : others).append(VolumeOf(s));
    }
    return media + others;
}

void SetVolumeSource(VolumeSource source)
{
    Source() = std::move(source);
}

QVector<DeviceVolume> DeviceVolumes()
{
    return Source() ? Source()() : MountedDeviceVolumes();
}

DeviceVolume GetDriveInfo(const QString& root)
{
    for (const DeviceVolume& v : DeviceVolumes())
        if (v.Root == root) return v;
    DeviceVolume gone;
    gone.Root = root;
    return gone;
}

QString VolumeSerialText(const QString& volumeId)
{
    static const QRegularExpression fatId(QStringLiteral("^([0-9A-Fa-f]{4})-([0-9A-Fa-f]{4})$"));
    const QRegularExpressionMatch m = fatId.match(volumeId);
    if (!m.hasMatch()) return QString();
    const uint32_t id = (m.captured(1) + m.captured(2)).toUInt(nullptr, 16);
    return QString::number(static_cast<int32_t>(id));
}

QString VolumeIdOf(const QString& device, const QString& byUuidFolder)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty()) return QString();
    for (const QFileInfo& link : QDir(byUuidFolder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (link.isSymLink() && link.canonicalFilePath() == target) return link.fileName();
    return QString();
}
