#include "extractioncommands.h"

#include "finder/archive/extraction.h"
#include "finder/browser/archiveproperties.h"
#include "finder/browser/archiveservice.h"
#include "finder/browser/extractto.h"
#include "finder/browser/unpackprogress.h"
#include "finder/common/busyflags.h"

#include <QFileInfo>

#include <memory>

namespace orv {

CExtractionCommands::CExtractionCommands(CArchiveService &archives, CBusyFlags &busy, QWidget *dialogParent)
    : QObject(dialogParent), m_archives(archives), m_busy(busy), m_parent(dialogParent)
{
    setObjectName(QStringLiteral("ExtractionCommands"));
}

QString CExtractionCommands::archiveOf(const QString &path) const
{
    return m_archives.layer().locateArchive(path).path;
}

bool CExtractionCommands::ExtractTo(const QString &path)
{
    const QString archive = archiveOf(path);
    if (archive.isEmpty())
        return false;
    CExtractTo dialog(CArchiveExtraction::FolderBesideArchive(archive), false, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString folder = dialog.folder();
    return CArchiveExtraction::CreateDestination(folder, false) && extract(path, folder);
}

bool CExtractionCommands::ExtractHere(const QString &path)
{
    const QString archive = archiveOf(path);
    return !archive.isEmpty() && extract(path, QFileInfo(archive).absolutePath());
}

bool CExtractionCommands::ExtractToFolder(const QString &path)
{
    const QString archive = archiveOf(path);
    if (archive.isEmpty())
        return false;
    const QString folder = CArchiveExtraction::FolderBesideArchive(archive);
    return CArchiveExtraction::CreateDestination(folder, true) && extract(path, folder);
}

bool CExtractionCommands::ExtractChecked(const QStringList &paths)
{
    QString archive;
    for (qsizetype i = 0; i < paths.size() && archive.isEmpty(); ++i)
        archive = archiveOf(paths[i]);
    if (archive.isEmpty())
        return false;
    CExtractTo dialog(CArchiveExtraction::FolderBesideArchive(archive), true, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString folder = dialog.folder();
    if (!CArchiveExtraction::CreateDestination(folder, false))
        return false;
    const std::unique_ptr<CArchiveAccess> access = m_archives.NewAccess();
    CArchiveExtraction extraction(*access);
    extraction.SetBusyFlags(&m_busy);
    CUnpackProgress progress(m_parent);
    progress.show();
    return extraction.ExtractItems(paths, folder, dialog.separateFolders(), &progress);
}

bool CExtractionCommands::extract(const QString &path, const QString &destination)
{
    const std::unique_ptr<CArchiveAccess> access = m_archives.NewAccess();
    CArchiveExtraction extraction(*access);
    extraction.SetBusyFlags(&m_busy);
    extraction.SetProgressFactory([this] {
        auto progress = std::make_unique<CUnpackProgress>(m_parent);
        progress->show();
        return std::unique_ptr<QObject>(std::move(progress));
    });
    return extraction.ExtractPath(path, destination, nullptr);
}

void CExtractionCommands::ShowProperties(const QString &path, const QIcon &icon)
{
    const std::optional<ArchiveItemProperties> item = ReadItemProperties(*m_archives.NewAccess(), path);
    if (!item)
        return;
    if (item->folder)
        CArchiveFolderProperties(*item, icon, m_parent).exec();
    else
        CArchiveFileProperties(*item, icon, m_parent).exec();
}

}  // namespace orv
