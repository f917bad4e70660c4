#include "finder/places/listdrives.h"
#include "finder/places/mounttable.h"
#include "finder/places/mountwatcher.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

#include <sched.h>
#include <sys/mount.h>

using orv::CDriveInfo;
using orv::DriveType;
using orv::MountEntry;
using orv::test::TestHome;
using orv::test::writeFile;

Q_DECLARE_METATYPE(DriveType)
Q_DECLARE_METATYPE(MountEntry)

namespace {

const char kSample[] =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
    "90 27 8:17 / /media/u/MY\\040STICK\\134\\08 rw,nosuid shared:55 master:3 - vfat /dev/sdb1 rw,fmask=0022\n"
    "91 27 11:0 / /media/u/CDROM ro - iso9660 /dev/sr0 ro\n"
    "92 27 254:0 /home/u/src /srv/src rw - ext4 /dev/vda rw\n"
    "93 27 0:40 / /mnt/share rw - nfs4 server:/export rw\n"
    "this line is not a mount\n"
    "94 27 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
    "95 27 0:41 / /tmp rw - tmpfs tmpfs rw\n";

MountEntry mount(const QString &mountPoint, const QString &fsType, const QString &source,
                 const QString &root = QStringLiteral("/"))
{
    MountEntry entry;
    entry.mountPoint = mountPoint;
    entry.fsType = fsType;
    entry.source = source;
    entry.root = root;
    return entry;
}

QList<CDriveInfo> drivesOfTypes(const QList<DriveType> &types)
{
    QList<CDriveInfo> drives;
    for (int i = 0; i < types.size(); ++i)
        drives.append({QStringLiteral("/d%1").arg(i), {}, types[i]});
    return drives;
}

}  // namespace

class TestDrives : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesMountInfo();
    void drivesAmongMounts_data();
    void drivesAmongMounts();
    void pathFromDisplayName_data();
    void pathFromDisplayName();
    void selectsFirstFixedDrive_data();
    void selectsFirstFixedDrive();
    void listsDrivesRootFirst();
    void watcherWakesOnRealMount();
};

void TestDrives::parsesMountInfo()
{
    const QList<MountEntry> entries = orv::parseMountInfo(kSample);
    QCOMPARE(entries.size(), 8);
    const MountEntry &stick = entries[2];
    QCOMPARE(stick.mountPoint, QStringLiteral("/media/u/MY STICK\\\\08"));
    QCOMPARE(stick.fsType, QStringLiteral("vfat"));
    QCOMPARE(stick.source, QStringLiteral("/dev/sdb1"));
    QCOMPARE(stick.root, QStringLiteral("/"));
    QCOMPARE(stick.major, 8u);
    QCOMPARE(stick.minor, 17u);
    QCOMPARE(entries[4].root, QStringLiteral("/home/u/src"));
}

void TestDrives::drivesAmongMounts_data()
{
    QTest::addColumn<MountEntry>("entry");
    QTest::addColumn<bool>("isDrive");
    QTest::newRow("root on overlay") << mount("/", "overlay", "overlay") << true;
    QTest::newRow("disk") << mount("/home", "ext4", "/dev/sda2") << true;
    QTest::newRow("stick under /run/media") << mount("/run/media/u/S", "vfat", "/dev/sdb1") << true;
    QTest::newRow("network share") << mount("/mnt/share", "nfs4", "server:/export") << true;
    QTest::newRow("bind mount of a folder") << mount("/srv/src", "ext4", "/dev/sda2", "/home/u/src") << false;
    QTest::newRow("proc") << mount("/proc", "proc", "proc") << false;
    QTest::newRow("tmpfs") << mount("/tmp", "tmpfs", "tmpfs") << false;
    QTest::newRow("snap image") << mount("/snap/core/1", "squashfs", "/dev/loop1") << false;
    QTest::newRow("fuse without device") << mount("/home/u/.cache/doc", "fuse.portal", "portal") << false;
}

void TestDrives::drivesAmongMounts()
{
    QFETCH(MountEntry, entry);
    QFETCH(bool, isDrive);
    QCOMPARE(orv::isDriveMount(entry), isDrive);
}

// Rows with a label and a mount point also check the name made from them.
void TestDrives::pathFromDisplayName_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("mountPoint");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("labelled") << "USBSTICK" << "/media/u/USBSTICK" << "USBSTICK (/media/u/USBSTICK)"
                              << "/media/u/USBSTICK";
    QTest::newRow("root") << "" << "/" << "File System (/)" << "/";
    QTest::newRow("unlabelled volume") << "" << "/mnt/backup" << "backup (/mnt/backup)" << "/mnt/backup";
    QTest::newRow("label with parentheses") << "Disk (old)" << "/mnt/a" << "Disk (old) (/mnt/a)" << "/mnt/a";
    QTest::newRow("label holding a path") << "X (/y)" << "/mnt/a" << "X (/y) (/mnt/a)" << "/mnt/a";
    QTest::newRow("mount point with parentheses") << "L" << "/media/My (old) disk" << "L (/media/My (old) disk)"
                                                  << "/media/My (old) disk";
    QTest::newRow("no parentheses") << "" << "" << "Dropbox" << "";
    QTest::newRow("relative in parentheses") << "" << "" << "Notes (draft)" << "";
    QTest::newRow("not closed") << "" << "" << "L (/mnt/a" << "";
}

void TestDrives::pathFromDisplayName()
{
    QFETCH(QString, label);
    QFETCH(QString, mountPoint);
    QFETCH(QString, name);
    QFETCH(QString, path);
    if (!mountPoint.isEmpty())
        QCOMPARE(orv::driveDisplayName(label, mountPoint), name);
    QCOMPARE(orv::drivePathFromDisplayName(name), path);
}

void TestDrives::selectsFirstFixedDrive_data()
{
    QTest::addColumn<QList<DriveType>>("types");
    QTest::addColumn<int>("roots");
    QTest::addColumn<int>("firstFixed");
    QTest::addColumn<int>("selection");
    using T = DriveType;
    QTest::newRow("removable, fixed, fixed") << QList<T>{T::Removable, T::Fixed, T::Fixed} << 0 << 1 << 1;
    QTest::newRow("cd and stick before disk") << QList<T>{T::CdRom, T::Removable, T::Fixed} << 0 << 2 << 2;
    QTest::newRow("no fixed drive: first root") << QList<T>{T::Removable, T::CdRom} << 1 << 2 << 2;
    QTest::newRow("no fixed drive, no root") << QList<T>{T::Removable, T::CdRom} << 0 << 2 << 0;
    QTest::newRow("nothing") << QList<T>{} << 0 << 0 << -1;
}

void TestDrives::selectsFirstFixedDrive()
{
    QFETCH(QList<DriveType>, types);
    QFETCH(int, roots);
    QFETCH(int, firstFixed);
    QFETCH(int, selection);

    std::vector<orv::CCloudDriveItem> rootItems;
    for (int i = 0; i < roots; ++i)
        rootItems.push_back({QStringLiteral("/links/r%1").arg(i), QStringLiteral("/data/Root %1").arg(i), false, {}});
    orv::CListDrives list;
    QCOMPARE(list.Fill(drivesOfTypes(types), rootItems), int(types.size()) + roots);
    QCOMPARE(list.firstFixedIndex(), firstFixed);
    QCOMPARE(list.selectionIndex(), selection);
    if (roots > 0) {
        const orv::PlaceListItem &root = list.items()[types.size()];
        QCOMPARE(root.text, QStringLiteral("Root 0"));
        QCOMPARE(root.path, QStringLiteral("/data/Root 0"));
        QVERIFY(!root.isDrive);
    }
}

void TestDrives::listsDrivesRootFirst()
{
    TestHome home;
    const QString data = home.path() + "/vol data";
    const QString stick = home.path() + "/stick";
    QVERIFY(QDir().mkpath(data) && QDir().mkpath(stick));
    // The stick is a partition: the flag is its disk's.
    QVERIFY(writeFile(home.path() + "/sys/devices/usb/sdc/removable", "1\n"));
    QVERIFY(QDir().mkpath(home.path() + "/sys/devices/usb/sdc/sdc1"));
    QVERIFY(writeFile(home.path() + "/sys/devices/pci/sda/removable", "0\n"));
    QVERIFY(QDir().mkpath(home.path() + "/sys/dev/block"));
    QVERIFY(QFile::link(home.path() + "/sys/devices/usb/sdc/sdc1", home.path() + "/sys/dev/block/8:33"));
    QVERIFY(QFile::link(home.path() + "/sys/devices/pci/sda", home.path() + "/sys/dev/block/8:2"));
    QByteArray escapedData = QFile::encodeName(data);
    escapedData.replace(" ", "\\040");
    const QByteArray table =
        "30 1 8:2 / " + escapedData + " rw - ext4 /dev/fake-a rw\n"
        "31 1 8:33 / " + QFile::encodeName(stick) + " rw - vfat /dev/fake-b rw\n"
        "32 1 11:0 / " + QFile::encodeName(home.path()) + "/missing ro - iso9660 /dev/sr0 ro\n"
        "33 1 0:20 / " + QFile::encodeName(stick) + " rw - tmpfs tmpfs rw\n"
        "34 1 8:1 / / rw - ext4 /dev/fake-root rw\n";
    QVERIFY(writeFile(home.path() + "/mountinfo", table));

    const QList<CDriveInfo> drives = orv::listDrives(home.path() + "/mountinfo", home.path() + "/sys");
    // The stick is hidden by a later tmpfs on the same folder; the missing mount point is not listed.
    QCOMPARE(drives.size(), 2);
    QCOMPARE(drives[0].m_strDrive, QStringLiteral("/"));
    QCOMPARE(drives[0].displayName(), QStringLiteral("File System (/)"));
    QCOMPARE(drives[1].m_strDrive, data);
    QCOMPARE(drives[1].m_type, DriveType::Fixed);

    QVERIFY(writeFile(home.path() + "/mountinfo", table.left(table.indexOf("33 1"))));
    const QList<CDriveInfo> withStick = orv::listDrives(home.path() + "/mountinfo", home.path() + "/sys");
    QCOMPARE(withStick.size(), 2);
    QCOMPARE(withStick[1].m_strDrive, stick);
    QCOMPARE(withStick[1].m_type, DriveType::Removable);
}

// The kernel flags the mount table of a mount namespace when it changes. A private namespace lets the test
// mount without changing anything outside this process; without the right to make one the test is skipped.
void TestDrives::watcherWakesOnRealMount()
{
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        QSKIP("no private mount namespace here");
    TestHome home;
    const QString point = home.path() + "/point";
    QVERIFY(QDir().mkpath(point));
    const auto everything = [] {
        QList<CDriveInfo> drives;
        for (const MountEntry &entry : orv::parseMountInfo(orv::test::readFile("/proc/self/mountinfo")))
            drives.append({entry.mountPoint, {}, DriveType::Fixed});
        return drives;
    };
    orv::CMountWatcher watcher(QStringLiteral("/proc/self/mountinfo"), everything);
    QVERIFY(watcher.isWatching());
    QSignalSpy arrived(&watcher, &orv::CMountWatcher::drivesArrived);
    QSignalSpy removed(&watcher, &orv::CMountWatcher::drivesRemoved);

    if (mount("none", QFile::encodeName(point).constData(), "tmpfs", 0, nullptr) != 0)
        QSKIP("mounting is not allowed here");
    for (int pass = 0; pass < 10 && arrived.isEmpty(); ++pass)
        QCoreApplication::processEvents();
    QCOMPARE(arrived.count(), 1);
    QCOMPARE(arrived.first().first().value<QList<CDriveInfo>>().first().m_strDrive, point);

    QCOMPARE(umount(QFile::encodeName(point).constData()), 0);
    for (int pass = 0; pass < 10 && removed.isEmpty(); ++pass)
        QCoreApplication::processEvents();
    QCOMPARE(removed.count(), 1);
}

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
