#include "tarfamilyunpackers.h"

#include "zip/streamunpacker.h"

namespace orv {

CTarFamilyUnpacker::CTarFamilyUnpacker(zip::Compression compression)
    : m_impl(std::make_unique<zip::StreamUnpacker>(compression))
{
}

CTarFamilyUnpacker::~CTarFamilyUnpacker() = default;

void CTarFamilyUnpacker::SetIni(const INIUNPACK &ini) { m_impl->SetIni(ini); }

void CTarFamilyUnpacker::SetIniYesToAll(const INIYESTOALL &answers) { m_impl->SetIniYesToAll(answers); }

void CTarFamilyUnpacker::GetIniYesToAll(INIYESTOALL &answers) const { m_impl->GetIniYesToAll(answers); }

void CTarFamilyUnpacker::SetWndFileTree(QObject *window) { m_impl->SetWndFileTree(window); }

void CTarFamilyUnpacker::SetHandleDialogProgress(QObject *window) { m_impl->SetHandleDialogProgress(window); }

bool CTarFamilyUnpacker::OpenArchive(const QString &path) { return m_impl->open(path); }

bool CTarFamilyUnpacker::CloseArchive() { return m_impl->close(); }

bool CTarFamilyUnpacker::IsTarInside() const { return m_impl->isTarInside(); }

QString CTarFamilyUnpacker::GetLastErrorText() const { return m_impl->GetLastErrorText(); }

zip::StreamResult CTarFamilyUnpacker::StreamEntries(const QString &path, bool underTar,
                                                    const zip::StreamedItemVisitor &visit)
{
    return m_impl->streamEntries(path, underTar, visit);
}

bool CTarFamilyUnpacker::FindFile() { return m_impl->findFile(); }

bool CTarFamilyUnpacker::FindNextFileW() { return m_impl->findNextFile(); }

bool CTarFamilyUnpacker::GetFileShortInfo(TARFILESHORTINFO &record) const { return m_impl->shortInfo(record); }

bool CTarFamilyUnpacker::GetFileFullInfo(TARFILEFULLINFO &record) const { return m_impl->fullInfo(record); }

bool CTarFamilyUnpacker::IsFolder(const QString &path) const { return m_impl->isFolder(path); }

QString CTarFamilyUnpacker::GetFileOutputInfo(const QString &path) const { return m_impl->fileOutputInfo(path); }

QString CTarFamilyUnpacker::GetFolderOutputInfo(const QString &path) const { return m_impl->folderOutputInfo(path); }

QString CTarFamilyUnpacker::GetArchiveOutputInfo() const { return m_impl->archiveOutputInfo(); }

bool CTarFamilyUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFile(path, targetFolder);
}

bool CTarFamilyUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFolder(path, targetFolder);
}

bool CTarFamilyUnpacker::UnpackArchive(const QString &targetFolder) { return m_impl->unpackArchive(targetFolder); }

bool CTarFamilyUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    return m_impl->unpackCurrentFile(name, targetFolder);
}

}  // namespace orv
