#include "mountwatcher.h"

#include <QSocketNotifier>

namespace orv {

namespace {

QList<CDriveInfo> missingFrom(const QList<CDriveInfo> &drives, const QList<CDriveInfo> &others)
{
    QList<CDriveInfo> missing;
    for (const CDriveInfo &drive : drives) {
        const bool present = std::any_of(others.begin(), others.end(), [&](const CDriveInfo &other) {
            return other.m_strDrive == drive.m_strDrive;
        });
        if (!present)
            missing.append(drive);
    }
    return missing;
}

}  // namespace

CMountWatcher::CMountWatcher(QObject *parent)
    : CMountWatcher(QStringLiteral("/proc/self/mountinfo"), [] { return listDrives(); }, parent)
{
}

CMountWatcher::CMountWatcher(const QString &mountInfoPath, Lister lister, QObject *parent)
    : QObject(parent), m_table(mountInfoPath), m_lister(std::move(lister))
{
    m_drives = m_lister();
    if (!m_table.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    m_notifier = new QSocketNotifier(m_table.handle(), QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CMountWatcher::checkNow);
}

CMountWatcher::~CMountWatcher() = default;

void CMountWatcher::checkNow()
{
    QList<CDriveInfo> now = m_lister();
    const QList<CDriveInfo> removed = missingFrom(m_drives, now);
    const QList<CDriveInfo> arrived = missingFrom(now, m_drives);
    m_drives = std::move(now);
    if (!removed.isEmpty())
        emit drivesRemoved(removed);
    if (!arrived.isEmpty())
        emit drivesArrived(arrived);
}

}  // namespace orv
