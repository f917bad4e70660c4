#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace orv {

// One line of /proc/self/mountinfo.
struct MountEntry
{
    quint32 major = 0;
    quint32 minor = 0;
    QString root;        // the part of the file system mounted here ("/" for a whole volume)
    QString mountPoint;
    QString fsType;
    QString source;
};

// Lines that do not have the kernel's shape are passed over.
QList<MountEntry> parseMountInfo(QByteArrayView text);
// The kernel writes blanks, tabs, line ends and backslashes in paths as octal escapes ("\040").
QString unescapeMountField(QByteArrayView field);
// A volume the user would call a drive: a real file system mounted whole, not a view of the kernel's
// state (proc, sysfs, cgroup, tmpfs, overlay and the like). "/" always counts.
bool isDriveMount(const MountEntry &entry);

enum class DriveType { Fixed, Removable, CdRom };

// A drive: a mounted volume.
struct CDriveInfo
{
    QString m_strDrive;  // the mount point
    QString m_strLabel;  // the volume label, empty when it has none
    DriveType m_type = DriveType::Fixed;

    QString displayName() const;
    friend bool operator==(const CDriveInfo &, const CDriveInfo &) = default;
};

DriveType driveType(const QString &fsType, bool removableDevice);
// "LABEL (/mount)"; "/" without a label is "File System (/)", another volume without one is named after
// its mount point's last folder.
QString driveDisplayName(const QString &label, const QString &mountPoint);
// The path inside the display name's last parentheses; empty when there is none.
QString drivePathFromDisplayName(const QString &displayName);
// The block device's "removable" flag under sysRoot ("/sys"); a partition answers for its disk.
bool isRemovableBlockDevice(const QString &sysRoot, quint32 major, quint32 minor);

// The drives of the machine: "/" first, then the other volumes in the order they were mounted.
QList<CDriveInfo> listDrives(const QString &mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                             const QString &sysRoot = QStringLiteral("/sys"));

}  // namespace orv
