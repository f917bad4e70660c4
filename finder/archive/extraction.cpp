#include "extraction.h"

#include "finder/archive/archiveaccess.h"
#include "platform/product.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFileInfo>

namespace orv {

bool CArchiveExtraction::ExtractPath(const QString &selectedPath, const QString &destination, QObject *progress)
{
    const CArchiveAccess::Located archive = m_access.locateArchive(selectedPath);
    return !archive.path.isEmpty() && extractOne(selectedPath, archive, destination, progress);
}

bool CArchiveExtraction::ExtractItems(const QStringList &paths, const QString &destination, bool separateFolders,
                                      QObject *progress)
{
    bool allDone = true;
    m_access.BeginYesToAllCarry();
    for (const QString &path : paths) {
        const CArchiveAccess::Located archive = m_access.locateArchive(path);
        if (archive.path.isEmpty())
            continue;
        QString target = destination;
        if (separateFolders) {
            target = destination + QLatin1Char('/') + QFileInfo(archive.path).fileName();
            // The item is still tried: the unpacker reports what it cannot write.
            CreateDestination(target, false);
        }
        if (!extractOne(path, archive, target, progress))
            allDone = false;
    }
    m_access.EndYesToAllCarry();
    return allDone;
}

bool CArchiveExtraction::extractOne(const QString &selectedPath, const CArchiveAccess::Located &located,
                                    const QString &destination, QObject *progress)
{
    const auto &[archive, kind] = located;
    const COpenedArchive opened = m_access.Open(archive, kind);
    if (!opened) {
        m_access.ShowOpenError(kind, false);
        return false;
    }
    const QString inner = innerPathOf(selectedPath, archive);
    UnpackItem item = UnpackItem::Archive;
    bool done = false;
    if (inner.isEmpty()) {
        done = m_access.UnpackArchiveOfKind(destination, kind, progress, true);
    } else if (opened->isFolder(inner)) {
        item = UnpackItem::Folder;
        done = m_access.UnpackFolderOfKind(inner, destination, kind, progress, true);
    } else {
        item = UnpackItem::File;
        done = m_access.UnpackFileOfKind(inner, destination, kind, progress, true);
    }
    if (!done)
        m_access.ShowUnpackError(item, inner.isEmpty() ? archive : inner, kind, false);
    return done;
}

bool CArchiveExtraction::CreateDestination(const QString &folder, bool asError)
{
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder))
        return true;
    const QString text = tr("Cannot create the folder:\n\n") + folder;
    const QString caption = productName();
    if (asError)
        showError(text, caption);
    else
        showInformation(text, caption);
    return false;
}

}  // namespace orv
