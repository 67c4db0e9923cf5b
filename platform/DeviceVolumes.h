// The drives titles can be copied onto: mounted volumes the user may write,
// removable media first.
#pragma once

#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>

struct DeviceVolume {
    QString Root;        // the mount folder
    QString Label;       // the volume's name, else the mount folder's name
    QString Serial;      // the FAT/exFAT volume id as signed 32-bit decimal, else ""
    QString FileSystem;
    double TotalBytes = 0;
    double FreeBytes = 0;  // available to the user
    uint64_t Device = 0;   // the device the root lay on when listed
};

// Ready, writable mounts; those under /media and /run/media first. The root
// file system and pseudo file systems are left out.
QVector<DeviceVolume> MountedDeviceVolumes();

// Where the volumes come from; tests put folders in place of drives. An empty
// function restores the mounted volumes.
using VolumeSource = std::function<QVector<DeviceVolume>()>;
void SetVolumeSource(VolumeSource source);
QVector<DeviceVolume> DeviceVolumes();

// The volume of this root as it is now; only Root is set when it is gone.
DeviceVolume GetDriveInfo(const QString& root);

// A FAT/exFAT volume id "1A2B-3C4D" as the signed 32-bit decimal the serial
// number is shown as; "" for anything else.
QString VolumeSerialText(const QString& volumeId);

// The volume id of a block device from the links of the by-uuid folder ("" if none).
QString VolumeIdOf(const QString& device, const QString& byUuidFolder = QStringLiteral("/dev/disk/by-uuid"));
