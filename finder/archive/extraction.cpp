#include "extraction.h"

#include "finder/archive/archiveaccess.h"
#include "finder/common/busyflags.h"
#include "platform/product.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace orv {

bool CArchiveExtraction::ExtractPath(const QString &selectedPath, const QString &destination, QObject *progress)
{
    const CArchiveAccess::Located archive = m_access.locateArchive(selectedPath);
    return !archive.path.isEmpty() && extractOne(selectedPath, archive, destination, progress);
}

bool CArchiveExtraction::ExtractItems(const QStringList &paths, const QString &destination, bool separateFolders,
                                      QObject *progress)
{
    const std::unique_ptr<QObject> made = progressFor(progress);
    if (made)
        progress = made.get();
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

std::unique_ptr<QObject> CArchiveExtraction::progressFor(QObject *given) const
{
    return !given && m_makeProgress ? m_makeProgress() : nullptr;
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
    const UnpackItem item = ItemOf(opened.reader(), inner);
    const bool done = unpack(item, inner, destination, kind, progress);
    if (!done)
        m_access.ShowUnpackError(item, inner.isEmpty() ? archive : inner, kind, false);
    return done;
}

// The progress window of a single extraction and the unpacking flag last exactly as long as the call.
bool CArchiveExtraction::unpack(UnpackItem item, const QString &inner, const QString &destination,
                                ArchiveKindCode kind, QObject *progress)
{
    const std::unique_ptr<QObject> made = progressFor(progress);
    if (made)
        progress = made.get();
    std::optional<BusyScope> busy;
    if (m_busy)
        busy.emplace(*m_busy, CBusyFlags::Unpack, progress);
    return RunUnpack(m_access, item, inner, destination, kind, progress);
}

UnpackItem CArchiveExtraction::ItemOf(IUnpacker &reader, const QString &innerPath)
{
    if (innerPath.isEmpty())
        return UnpackItem::Archive;
    return reader.isFolder(innerPath) ? UnpackItem::Folder : UnpackItem::File;
}

bool CArchiveExtraction::RunUnpack(CArchiveAccess &access, UnpackItem item, const QString &innerPath,
                                   const QString &destination, ArchiveKindCode kind, QObject *progress)
{
    switch (item) {
    case UnpackItem::Archive:
        return access.UnpackArchiveOfKind(destination, kind, progress, true);
    case UnpackItem::Folder:
        return access.UnpackFolderOfKind(innerPath, destination, kind, progress, true);
    case UnpackItem::File:
        break;
    }
    return access.UnpackFileOfKind(innerPath, destination, kind, progress, true);
}

bool CArchiveExtraction::CreateDestination(const QString &folder, bool asError)
{
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder))
        return true;
    const QString text = tr("Cannot create the folder:\n\n") + folder;
    if (asError)
        showError(text, productName());
    else
        showInformation(text, productName());
    return false;
}

QString CArchiveExtraction::FolderBesideArchive(const QString &archivePath)
{
    const QFileInfo archive(archivePath);
    QString folder = archive.absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder.append(QLatin1Char('/'));
    return folder + archive.completeBaseName();
}

}  // namespace orv
