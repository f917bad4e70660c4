#include "finder/places/drivesbutton.h"
#include "finder/places/mountwatcher.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

using orv::CDriveInfo;
using orv::CDrivesButton;
using orv::CMountWatcher;
using orv::DriveType;

namespace {

const CDriveInfo kCd{"/media/cd", "DISC", DriveType::CdRom};
const CDriveInfo kRoot{"/", {}, DriveType::Fixed};
const CDriveInfo kData{"/data", "Data", DriveType::Fixed};
const CDriveInfo kStick{"/media/u/STICK", "STICK", DriveType::Removable};

// A button over a watcher whose drives the test sets.
struct Fixture
{
    QList<CDriveInfo> drives{kCd, kRoot, kData};
    std::vector<orv::CCloudDriveItem> roots{{"/cfg/CloudDrives/Dropbox", "/home/u/Dropbox", false, {}}};
    CMountWatcher watcher{QStringLiteral("/nonexistent/mountinfo"), [this] { return drives; }};
    CDrivesButton button{&watcher, [this] { return roots; }};

    QStringList texts() const
    {
        QStringList all;
        for (int i = 0; i < button.count(); ++i)
            all.append(button.itemText(i));
        return all;
    }
};

}  // namespace

class TestDrivesButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillsDrivesThenRoots();
    void arrivalRebuildsAndSelectsTheFixedDrive();
    void removalDropsOnlyThatDrive();
};

void TestDrivesButton::fillsDrivesThenRoots()
{
    Fixture f;
    QCOMPARE(f.button.Fill(), 4);
    QCOMPARE(f.texts(), (QStringList{"DISC (/media/cd)", "File System (/)", "Data (/data)", "Dropbox"}));
    QCOMPARE(f.button.currentIndex(), 1);
    QCOMPARE(f.button.GetSelectedText(), QStringLiteral("File System (/)"));
    QCOMPARE(f.button.itemData(3).toString(), QStringLiteral("/home/u/Dropbox"));
}

void TestDrivesButton::arrivalRebuildsAndSelectsTheFixedDrive()
{
    Fixture f;
    f.button.Fill();
    f.button.setCurrentIndex(2);
    QSignalSpy arrived(&f.button, &CDrivesButton::drivesArrived);

    f.drives.append(kStick);
    f.watcher.checkNow();
    QCOMPARE(arrived.count(), 1);
    QCOMPARE(f.texts().size(), 5);
    QCOMPARE(f.texts()[3], QStringLiteral("STICK (/media/u/STICK)"));
    // The rebuilt list follows the fixed-drive rule again, whatever was chosen before.
    QCOMPARE(f.button.selectedPath(), QStringLiteral("/"));
}

void TestDrivesButton::removalDropsOnlyThatDrive()
{
    Fixture f;
    f.drives.append(kStick);
    f.watcher.checkNow();
    f.button.Fill();
    f.button.setCurrentIndex(3);
    QSignalSpy removed(&f.button, &CDrivesButton::driveRemoved);

    f.drives.removeLast();
    f.watcher.checkNow();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().first().toString(), kStick.m_strDrive);
    QCOMPARE(f.texts(), (QStringList{"DISC (/media/cd)", "File System (/)", "Data (/data)", "Dropbox"}));
    // The place shown is gone: the fixed-drive rule chooses again.
    QCOMPARE(f.button.selectedPath(), QStringLiteral("/"));
}

QTEST_MAIN(TestDrivesButton)
#include "tst_drivesbutton.moc"
