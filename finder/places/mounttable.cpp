#include "mounttable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QObject>

#include <algorithm>
#include <span>

namespace orv {

namespace {

// Kernel views and containers' layers: none of them is a place where the user keeps files.
const char *const kPseudoFileSystems[] = {
    "autofs", "binfmt_misc", "bpf", "cgroup", "cgroup2", "configfs", "debugfs", "devpts", "devtmpfs",
    "efivarfs", "fuse.gvfsd-fuse", "fuse.lxcfs", "fuse.portal", "fusectl", "hugetlbfs", "mqueue", "nsfs",
    "overlay", "proc", "pstore", "ramfs", "rpc_pipefs", "securityfs", "squashfs", "sysfs", "tmpfs",
    "tracefs",
};

// Volumes without a block device behind them that still hold the user's files.
const char *const kNetworkFileSystems[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs"};

bool listed(const QString &fsType, std::span<const char *const> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char *name) { return fsType == QLatin1String(name); });
}

bool underSystemFolder(const QString &mountPoint)
{
    for (const char *folder : {"/proc", "/sys", "/dev", "/run"}) {
        const QLatin1String prefix(folder);
        if (mountPoint == prefix || mountPoint.startsWith(prefix + QLatin1Char('/')))
            return !mountPoint.startsWith(QLatin1String("/run/media/"));
    }
    return false;
}

int octalDigit(char c)
{
    return c >= '0' && c <= '7' ? c - '0' : -1;
}

bool parseDevice(const QByteArray &field, MountEntry &entry)
{
    const qsizetype colon = field.indexOf(':');
    if (colon < 0)
        return false;
    bool majorOk = false;
    bool minorOk = false;
    entry.major = field.left(colon).toUInt(&majorOk);
    entry.minor = field.mid(colon + 1).toUInt(&minorOk);
    return majorOk && minorOk;
}

// Fields: id, parent id, major:minor, root, mount point, options, optional fields..., "-", type, source,
// super options.
bool parseLine(QByteArrayView line, MountEntry &entry)
{
    const QList<QByteArray> fields = line.toByteArray().split(' ');
    if (fields.size() < 10 || !parseDevice(fields[2], entry))
        return false;
    const qsizetype separator = fields.indexOf(QByteArray("-"), 6);
    if (separator < 0 || separator + 2 >= fields.size())
        return false;
    entry.root = unescapeMountField(fields[3]);
    entry.mountPoint = unescapeMountField(fields[4]);
    entry.fsType = unescapeMountField(fields[separator + 1]);
    entry.source = unescapeMountField(fields[separator + 2]);
    return entry.mountPoint.startsWith(QLatin1Char('/'));
}

// udev names the links under /dev/disk/by-label with unsafe characters as "\x20".
QString unescapeUdevName(const QString &name)
{
    QByteArray out;
    const QByteArray bytes = QFile::encodeName(name);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bool ok = false;
        if (bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x') {
            const int value = bytes.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(bytes[i]);
    }
    return QString::fromUtf8(out);
}

QHash<QString, QString> labelsByDevice()
{
    QHash<QString, QString> labels;
    const QDir dir(QStringLiteral("/dev/disk/by-label"));
    for (const QFileInfo &link : dir.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty())
            labels.insert(device, unescapeUdevName(link.fileName()));
    }
    return labels;
}

QByteArray readMountTable(const QString &path)
{
    // /proc files report no size: read until the end.
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

QString unescapeMountField(QByteArrayView field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const int a = octalDigit(field[i + 1]);
            const int b = octalDigit(field[i + 2]);
            const int c = octalDigit(field[i + 3]);
            if (a >= 0 && b >= 0 && c >= 0 && a <= 3) {
                out.append(char(a * 64 + b * 8 + c));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

QList<MountEntry> parseMountInfo(QByteArrayView text)
{
    QList<MountEntry> entries;
    for (const QByteArrayView line : QByteArray(text.toByteArray()).split('\n')) {
        MountEntry entry;
        if (parseLine(line, entry))
            entries.append(entry);
    }
    return entries;
}

bool isDriveMount(const MountEntry &entry)
{
    if (entry.mountPoint == QLatin1String("/"))
        return true;
    if (entry.root != QLatin1String("/") || underSystemFolder(entry.mountPoint) ||
        listed(entry.fsType, kPseudoFileSystems))
        return false;
    return entry.source.startsWith(QLatin1String("/dev/")) || listed(entry.fsType, kNetworkFileSystems);
}

DriveType driveType(const QString &fsType, bool removableDevice)
{
    if (fsType == QLatin1String("iso9660") || fsType == QLatin1String("udf"))
        return DriveType::CdRom;
    return removableDevice ? DriveType::Removable : DriveType::Fixed;
}

QString driveDisplayName(const QString &label, const QString &mountPoint)
{
    QString name = label;
    if (name.isEmpty())
        name = mountPoint == QLatin1String("/") ? QObject::tr("File System") : QFileInfo(mountPoint).fileName();
    return name + QStringLiteral(" (") + mountPoint + QLatin1Char(')');
}

QString drivePathFromDisplayName(const QString &displayName)
{
    if (!displayName.endsWith(QLatin1Char(')')))
        return {};
    const qsizetype end = displayName.size() - 1;
    // A label or a mount point may hold parentheses of its own: the path is the last "(/..." whose
    // parentheses balance up to the end, or failing that simply the last "(/".
    qsizetype fallback = -1;
    for (qsizetype open = displayName.lastIndexOf(QLatin1String("(/")); open >= 0;
         open = open > 0 ? displayName.lastIndexOf(QLatin1String("(/"), open - 1) : -1) {
        if (fallback < 0)
            fallback = open;
        const QStringView inside = QStringView(displayName).mid(open + 1, end - open - 1);
        if (inside.count(QLatin1Char('(')) == inside.count(QLatin1Char(')')))
            return inside.toString();
    }
    return fallback < 0 ? QString() : displayName.mid(fallback + 1, end - fallback - 1);
}

bool isRemovableBlockDevice(const QString &sysRoot, quint32 major, quint32 minor)
{
    const QString device =
        QFileInfo(sysRoot + QStringLiteral("/dev/block/%1:%2").arg(major).arg(minor)).canonicalFilePath();
    if (device.isEmpty())
        return false;
    for (const QString &folder : {device, QFileInfo(device).path()}) {
        QFile flag(folder + QStringLiteral("/removable"));
        if (flag.open(QIODevice::ReadOnly))
            return flag.read(8).trimmed() == "1";
    }
    return false;
}

QList<CDriveInfo> listDrives(const QString &mountInfoPath, const QString &sysRoot)
{
    QList<MountEntry> mounts = parseMountInfo(readMountTable(mountInfoPath));
    // A later mount over the same point hides the earlier one.
    QHash<QString, qsizetype> lastAt;
    for (qsizetype i = 0; i < mounts.size(); ++i)
        lastAt.insert(mounts[i].mountPoint, i);

    const QHash<QString, QString> labels = labelsByDevice();
    QList<CDriveInfo> drives;
    for (qsizetype i = 0; i < mounts.size(); ++i) {
        const MountEntry &mount = mounts[i];
        if (lastAt.value(mount.mountPoint) != i || !isDriveMount(mount) || !QFileInfo(mount.mountPoint).isDir())
            continue;
        const QString device = QFileInfo(mount.source).canonicalFilePath();
        const bool removable = isRemovableBlockDevice(sysRoot, mount.major, mount.minor);
        drives.append({mount.mountPoint, labels.value(device), driveType(mount.fsType, removable)});
    }
    std::stable_partition(drives.begin(), drives.end(),
                          [](const CDriveInfo &drive) { return drive.m_strDrive == QLatin1String("/"); });
    return drives;
}

QString CDriveInfo::displayName() const
{
    return driveDisplayName(m_strLabel, m_strDrive);
}

}  // namespace orv
