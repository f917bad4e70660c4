#include "zipunpacker.h"

#include "zip/zipreader.h"

namespace orv {

CZipUnpacker::CZipUnpacker() : m_impl(std::make_unique<zip::ZipReader>()) {}

CZipUnpacker::~CZipUnpacker() = default;

void CZipUnpacker::SetIni(const INIUNPACK &ini) { m_impl->SetIni(ini); }

void CZipUnpacker::SetIniYesToAll(const INIYESTOALL &answers) { m_impl->SetIniYesToAll(answers); }

void CZipUnpacker::GetIniYesToAll(INIYESTOALL &answers) const { m_impl->GetIniYesToAll(answers); }

void CZipUnpacker::SetWndFileTree(QObject *window) { m_impl->SetWndFileTree(window); }

void CZipUnpacker::SetHandleDialogProgress(QObject *window) { m_impl->SetHandleDialogProgress(window); }

bool CZipUnpacker::OpenArchive(const QString &path) { return m_impl->open(path); }

bool CZipUnpacker::CloseArchive() { return m_impl->close(); }

bool CZipUnpacker::IsDetailedError() const { return !m_impl->GetLastErrorText().isEmpty(); }

QString CZipUnpacker::GetDetailedErrorMessage() const { return m_impl->GetLastErrorText(); }

QString CZipUnpacker::GetDamageText() const { return m_impl->damageText(); }

bool CZipUnpacker::FindFile() { return m_impl->findFile(); }

bool CZipUnpacker::FindNextFileW() { return m_impl->findNextFile(); }

bool CZipUnpacker::GetFileShortInfo(ZIPFILESHORTINFO &record) const { return m_impl->shortInfo(record); }

bool CZipUnpacker::GetFileFullInfo(ZIPFILEFULLINFO &record) const { return m_impl->fullInfo(record); }

bool CZipUnpacker::IsFolder(const QString &path) const { return m_impl->isFolder(path); }

QString CZipUnpacker::GetFileOutputInfo(const QString &path) const { return m_impl->fileOutputInfo(path); }

QString CZipUnpacker::GetFolderOutputInfo(const QString &path) const { return m_impl->folderOutputInfo(path); }

QString CZipUnpacker::GetArchiveOutputInfo() const { return m_impl->archiveOutputInfo(); }

bool CZipUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFile(path, targetFolder);
}

bool CZipUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFolder(path, targetFolder);
}

bool CZipUnpacker::UnpackArchive(const QString &targetFolder) { return m_impl->unpackArchive(targetFolder); }

bool CZipUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    return m_impl->unpackCurrentFile(name, targetFolder);
}

}  // namespace orv
