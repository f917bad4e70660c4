#pragma once

#include "platform/events.h"
#include "platform/stopeventfilter.h"
#include "zip/packpaths.h"
#include "zip/zipcatalog.h"
#include "zip/ziprecords.h"

#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

class QObject;

namespace orv::sz {
class ZipWriter;
struct ZipWriteOptions;
}

namespace orv::zip {

// The implementation behind CZipPacker: the archive's listing for the look-ups, and one complete
// rewrite of the archive per change.
class ZipUpdater
{
public:
    ZipUpdater();
    ~ZipUpdater();
    ZipUpdater(const ZipUpdater &) = delete;
    ZipUpdater &operator=(const ZipUpdater &) = delete;

    void setTree(QObject *tree) { m_tree = tree; }
    void setProgressReceiver(QObject *receiver) { m_stopFilter.watch(receiver); }
    void setIni(const INIPACK &ini) { m_ini = ini; }
    void requestStop() { m_stopRequested = true; }

    bool create(const QString &path);
    bool open(const QString &path, bool readOnly);
    bool close();

    bool addFile(const QString &file, const QString &archiveFolder);
    bool addFolder(const QString &folder, const QString &base, const QString &archiveFolder, bool recurse);

    bool fileExists(const QString &path);
    bool folderExists(const QString &path);
    bool currentInfo(ZIPFILEFULLINFO &record) const;

    bool renameFile(const QString &oldPath, const QString &newName);
    bool renameFolder(const QString &oldPath, const QString &newName);

    const QString &error() const { return m_error; }

private:
    enum class Answer { Replace, Skip, Cancel };

    bool fail(const QString &text, const QString &caption);
    bool refuseChange(const QString &caption);
    std::optional<sz::ZipWriteOptions> writeOptions();
    bool startWriter(sz::ZipWriter &writer, const QString &caption);
    Answer askReplace(const PackItem &item);
    bool addItems(const std::vector<PackItem> &items, const QString &shownName);
    bool commit(sz::ZipWriter &writer, const QString &shownName, const QString &caption);
    bool reportProgress(quint64 done, quint64 total, const QString &shownName);
    bool reload();
    std::optional<QString> newPathFor(const QString &oldPath, const QString &newName, const QString &caption,
                                      bool folder);
    bool renameEntries(const std::vector<int> &entries, const QString &oldPrefix, const QString &newPrefix,
                       const QString &caption);

    QString m_path;
    bool m_open = false;
    bool m_onDisk = false;    // false for a created archive until its first add
    bool m_readOnly = false;  // opened for look-ups only
    bool m_libraryReadOnly = false;
    INIPACK m_ini;
    QPointer<QObject> m_tree;
    StopEventFilter m_stopFilter{Ev::PackStop, [this] { requestStop(); }};
    ZipCatalog m_catalog;
    int m_current = -1;
    bool m_stopRequested = false;
    QString m_error;
};

}  // namespace orv::zip
