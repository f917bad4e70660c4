#include "zippacker.h"

#include "zip/zipupdater.h"

namespace orv {

CZipPacker::CZipPacker() : m_impl(std::make_unique<zip::ZipUpdater>()) {}

CZipPacker::~CZipPacker() = default;

void CZipPacker::SetWndArchiveTree(QObject *window) { m_impl->setTree(window); }

void CZipPacker::SetHandleDialogProgress(QObject *window) { m_impl->setProgressReceiver(window); }

void CZipPacker::SetIni(const INIPACK &ini) { m_impl->setIni(ini); }

bool CZipPacker::CreateArchive(const QString &path) { return m_impl->create(path); }

bool CZipPacker::OpenArchive(const QString &path, bool readOnly) { return m_impl->open(path, readOnly); }

bool CZipPacker::CloseArchive() { return m_impl->close(); }

bool CZipPacker::AddFileToArchive(const QString &file) { return m_impl->addFile(file, {}); }

bool CZipPacker::AddFileToArchiveFolder(const QString &file, const QString &archiveFolder)
{
    return m_impl->addFile(file, archiveFolder);
}

bool CZipPacker::AddFolderToArchive(const QString &folder, const QString &base)
{
    return m_impl->addFolder(folder, base, {}, true);
}

bool CZipPacker::AddFolderToArchiveFolder(const QString &folder, const QString &base, const QString &archiveFolder,
                                          bool recurse)
{
    return m_impl->addFolder(folder, base, archiveFolder, recurse);
}

bool CZipPacker::FileExists(const QString &path) { return m_impl->fileExists(path); }

bool CZipPacker::FolderExists(const QString &path) { return m_impl->folderExists(path); }

bool CZipPacker::GetFileFullInfo(ZIPFILEFULLINFO &record) const { return m_impl->currentInfo(record); }

bool CZipPacker::RenameFile(const QString &oldPath, const QString &newName)
{
    return m_impl->renameFile(oldPath, newName);
}

bool CZipPacker::RenameFolder(const QString &oldPath, const QString &newName)
{
    return m_impl->renameFolder(oldPath, newName);
}

QString CZipPacker::GetLastErrorText() const { return m_impl->error(); }

}  // namespace orv
