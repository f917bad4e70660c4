#pragma once

#include "finder/places/mounttable.h"

#include <QFile>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace orv {

// Tells when volumes are mounted or unmounted. The kernel flags a change of the mount table as an
// exceptional condition (POLLPRI) on an open mountinfo file, so the watcher waits on that instead of
// polling; checkNow() compares the drives again on demand.
class CMountWatcher : public QObject
{
    Q_OBJECT

public:
    using Lister = std::function<QList<CDriveInfo>()>;

    // Watches this process's mount table and lists drives with listDrives().
    explicit CMountWatcher(QObject *parent = nullptr);
    CMountWatcher(const QString &mountInfoPath, Lister lister, QObject *parent = nullptr);
    ~CMountWatcher() override;

    const QList<CDriveInfo> &drives() const { return m_drives; }
    bool isWatching() const { return m_notifier != nullptr; }

public slots:
    void checkNow();

signals:
    void drivesArrived(const QList<orv::CDriveInfo> &drives);
    void drivesRemoved(const QList<orv::CDriveInfo> &drives);

private:
    QFile m_table;
    Lister m_lister;
    QSocketNotifier *m_notifier = nullptr;
    QList<CDriveInfo> m_drives;
};

}  // namespace orv
