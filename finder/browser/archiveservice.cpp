#include "archiveservice.h"

#include "finder/app/tempfolder.h"
#include "finder/browser/treelevels.h"
#include "finder/common/busyflags.h"
#include "finder/settings/settings.h"
#include "platform/product.h"
#include "platform/prompts.h"

#include <QFileInfo>

#include <optional>

namespace orv {

CArchiveService::CArchiveService(UnpackerCreator creator)
    : m_observer(m_passwords, [this](const QString &path) { return m_isExpanded && m_isExpanded(path); }),
      m_layer(std::move(creator))
{
    m_layer.SetOpenObserver(&m_observer);
}

void CArchiveService::ApplySettings(const SettingsValues &values)
{
    m_layer.ApplySettings(values);
}

std::unique_ptr<CArchiveAccess> CArchiveService::NewAccess() const
{
    return std::make_unique<CArchiveAccess>(m_layer.config());
}

bool CArchiveService::OpenFile(const QString &virtualPath)
{
    const CArchiveAccess::Located archive = m_layer.locateArchive(virtualPath);
    const QString inner = innerPathOf(virtualPath, archive.path);
    if (archive.kind == ArchiveKind::None || inner.isEmpty())
        return false;
    const std::unique_ptr<CArchiveAccess> access = NewAccess();
    bool unpacked = false;
    {
        const COpenedArchive opened = access->Open(archive.path, archive.kind);
        if (!opened) {
            access->ShowOpenError(archive.kind, true);
            return false;
        }
        if (opened->isFolder(inner))
            return false;
        unpacked = unpackToTemporary(*access, opened, inner, UnpackItem::File, nullptr);
    }
    if (!unpacked)
        return false;
    const QString name = QFileInfo(inner).fileName();
    if (m_launch && m_launch(joinPath(m_tempFolder, name)))
        return true;
    showError(tr("Cannot open the file %1: no program is set to open files of its type.").arg(name),
              productName());
    return false;
}

bool CArchiveService::ExtractForDragging(const QString &virtualPath, QObject *progress)
{
    const CArchiveAccess::Located archive = m_layer.locateArchive(virtualPath);
    const QString inner = innerPathOf(virtualPath, archive.path);
    if (archive.kind == ArchiveKind::None || inner.isEmpty())
        return false;
    const std::unique_ptr<CArchiveAccess> access = NewAccess();
    const COpenedArchive opened = access->Open(archive.path, archive.kind);
    if (!opened) {
        access->ShowOpenError(archive.kind, true);
        return false;
    }
    const UnpackItem item = opened->isFolder(inner) ? UnpackItem::Folder : UnpackItem::File;
    return unpackToTemporary(*access, opened, inner, item, progress);
}

// Items opened or dragged out land flat in the temporary folder, replacing an earlier copy without asking.
bool CArchiveService::unpackToTemporary(CArchiveAccess &access, const COpenedArchive &archive, const QString &inner,
                                        UnpackItem item, QObject *progress)
{
    // The archive is not at fault then, and the unpack error would say it is.
    if (m_tempFolder.isEmpty()) {
        showError(tr("Cannot open the file %1: the program has no temporary folder of its own to unpack it to. "
                     "Each of these names is taken by a file, a link or another user's folder, or the folder "
                     "cannot be created:\n\n%2")
                      .arg(QFileInfo(inner).fileName(), temporaryFolderPlaces().join(QLatin1Char('\n'))),
                  productName());
        return false;
    }
    std::optional<BusyScope> busy;
    if (m_busy)
        busy.emplace(*m_busy, CBusyFlags::Unpack, progress);
    INIUNPACK flat;
    flat.bUnpackFilesWithoutPaths = flat.bUnpackFoldersWithoutPaths = flat.bUnpackArchivesWithoutPaths = 1;
    flat.bAskBeforeOverwriting = 0;
    access.SetUnpackIni(flat);
    const bool unpacked = item == UnpackItem::Folder
                              ? access.UnpackFolderOfKind(inner, m_tempFolder, archive.kind(), progress, true)
                              : access.UnpackFileOfKind(inner, m_tempFolder, archive.kind(), progress, true);
    if (!unpacked)
        access.ShowUnpackError(item, inner, archive.kind(), true);
    return unpacked;
}

CListingCatalogue *CArchiveService::catalogue()
{
    if (!m_catalogueEnabled)
        return nullptr;
    // Opened once: a file that cannot be opened is not tried again at every search.
    if (!m_catalogue && !m_catalogueFailed) {
        auto catalogue = std::make_unique<CListingCatalogue>();
        if (catalogue->open(CListingCatalogue::defaultPath()))
            m_catalogue = std::move(catalogue);
        else
            m_catalogueFailed = true;
    }
    return m_catalogue.get();
}

CListingCatalogue *CArchiveService::levelCatalogue(ArchiveKindCode kind, const QString &archivePath)
{
    if ((m_busy && m_busy->isRunning(CBusyFlags::Search)) || m_passwords.find(kind, archivePath))
        return nullptr;
    return catalogue();
}

}  // namespace orv
