#pragma once

#include "finder/archive/archiveaccess.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QObject;

namespace orv {

class CBusyFlags;

// Extraction of an item of an archive, a folder inside it or the whole archive, as the Archive menu and
// the found-files list run it. The destination folders are made by the callers.
class CArchiveExtraction
{
    Q_DECLARE_TR_FUNCTIONS(CArchiveExtraction)

public:
    // Makes the window that shows an unpack's progress and takes its stop request; it is shown while it
    // lives.
    using ProgressFactory = std::function<std::unique_ptr<QObject>()>;

    explicit CArchiveExtraction(CArchiveAccess &access) : m_access(access) {}

    // The unpacking flag is set there while an unpack call runs, with the progress window as the receiver
    // of a stop request.
    void SetBusyFlags(CBusyFlags *flags) { m_busy = flags; }
    // Where the progress window comes from when a call is given none: made around the unpack call of a
    // single extraction, once for a whole batch.
    void SetProgressFactory(ProgressFactory factory) { m_makeProgress = std::move(factory); }

    // One selected virtual path into one destination. False (after its message) when the archive cannot
    // be opened or the unpack fails; false without a message when the path lies in no archive.
    bool ExtractPath(const QString &selectedPath, const QString &destination, QObject *progress);

    // A batch: the yes-to-all answers given for one item hold for the following ones. With separate
    // folders each archive's items go to destination/<archive file name>. Every item is tried; true when
    // all succeeded.
    bool ExtractItems(const QStringList &paths, const QString &destination, bool separateFolders,
                      QObject *progress);

    // Which of the three unpack calls a path inside an open archive takes (an empty path is the whole
    // archive).
    static UnpackItem ItemOf(IUnpacker &reader, const QString &innerPath);
    // That unpack call, quiet, on the archive open in the layer.
    static bool RunUnpack(CArchiveAccess &access, UnpackItem item, const QString &innerPath,
                          const QString &destination, ArchiveKindCode kind, QObject *progress);

    // Creates a folder with all missing parents; on failure shows "Cannot create the folder" with the
    // given icon and returns false.
    static bool CreateDestination(const QString &folder, bool asError);
    // The folder "Extract to" proposes: beside the archive, named as the archive without its last
    // extension ("/x/a.tar.gz" gives "/x/a.tar").
    static QString FolderBesideArchive(const QString &archivePath);

private:
    bool extractOne(const QString &selectedPath, const CArchiveAccess::Located &archive, const QString &destination,
                    QObject *progress);
    bool unpack(UnpackItem item, const QString &inner, const QString &destination, ArchiveKindCode kind,
                QObject *progress);
    std::unique_ptr<QObject> progressFor(QObject *given) const;

    CArchiveAccess &m_access;
    CBusyFlags *m_busy = nullptr;
    ProgressFactory m_makeProgress;
};

}  // namespace orv
