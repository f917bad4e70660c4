#pragma once

#include "finder/archive/archiveaccess.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QObject;

namespace orv {

// Extraction of an item of an archive, a folder inside it or the whole archive, as the Archive menu and
// the found-files list run it. The destination folders are made by the callers; the progress receiver
// is the caller's progress window (may be null).
class CArchiveExtraction
{
    Q_DECLARE_TR_FUNCTIONS(CArchiveExtraction)

public:
    explicit CArchiveExtraction(CArchiveAccess &access) : m_access(access) {}

    // One selected virtual path into one destination. False (after its message) when the archive cannot
    // be opened or the unpack fails; false without a message when the path lies in no archive.
    bool ExtractPath(const QString &selectedPath, const QString &destination, QObject *progress);

    // A batch: the yes-to-all answers given for one item hold for the following ones. With separate
    // folders each archive's items go to destination/<archive file name>. Every item is tried; true when
    // all succeeded.
    bool ExtractItems(const QStringList &paths, const QString &destination, bool separateFolders,
                      QObject *progress);

    // Creates a folder with all missing parents; on failure shows "Cannot create the folder" with the
    // given icon and returns false.
    static bool CreateDestination(const QString &folder, bool asError);

private:
    bool extractOne(const QString &selectedPath, const CArchiveAccess::Located &archive, const QString &destination,
                    QObject *progress);

    CArchiveAccess &m_access;
};

}  // namespace orv
