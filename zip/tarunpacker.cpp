#include "tarunpacker.h"

#include "zip/streamunpacker.h"

namespace orv {

CTarUnpacker::CTarUnpacker() : m_impl(std::make_unique<zip::StreamUnpacker>(zip::Compression::None)) {}

CTarUnpacker::~CTarUnpacker() = default;

void CTarUnpacker::SetIni(const INIUNPACK &ini)
{
    m_impl->setIni(ini);
}

void CTarUnpacker::SetIniYesToAll(const INIYESTOALL &answers)
{
    m_impl->setYesToAll(answers);
}

void CTarUnpacker::GetIniYesToAll(INIYESTOALL &answers) const
{
    answers = m_impl->yesToAll();
}

void CTarUnpacker::SetWndFileTree(QObject *window)
{
    m_impl->setFileTree(window);
}

void CTarUnpacker::SetHandleDialogProgress(QObject *window)
{
    m_impl->setProgress(window);
}

bool CTarUnpacker::OpenArchive(const QString &path)
{
    return m_impl->open(path);
}

bool CTarUnpacker::CloseArchive()
{
    return m_impl->close();
}

QString CTarUnpacker::GetLastErrorText() const
{
    return m_impl->lastError();
}

zip::StreamResult CTarUnpacker::StreamEntries(const QString &path, bool underTar,
                                          const zip::StreamedItemVisitor &visit)
{
    return m_impl->streamEntries(path, underTar, visit);
}

bool CTarUnpacker::FindFile()
{
    return m_impl->findFile();
}

bool CTarUnpacker::FindNextFileW()
{
    return m_impl->findNextFile();
}

bool CTarUnpacker::GetFileShortInfo(TARFILESHORTINFO &record) const
{
    return m_impl->shortInfo(record);
}

bool CTarUnpacker::GetFileFullInfo(TARFILEFULLINFO &record) const
{
    return m_impl->fullInfo(record);
}

bool CTarUnpacker::IsFolder(const QString &path) const
{
    return m_impl->isFolder(path);
}

QString CTarUnpacker::GetFileOutputInfo(const QString &path) const
{
    return m_impl->fileOutputInfo(path);
}

QString CTarUnpacker::GetFolderOutputInfo(const QString &path) const
{
    return m_impl->folderOutputInfo(path);
}

QString CTarUnpacker::GetArchiveOutputInfo() const
{
    return m_impl->archiveOutputInfo();
}

bool CTarUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFile(path, targetFolder);
}

bool CTarUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFolder(path, targetFolder);
}

bool CTarUnpacker::UnpackArchive(const QString &targetFolder)
{
    return m_impl->unpackArchive(targetFolder);
}

bool CTarUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    return m_impl->unpackCurrentFile(name, targetFolder);
}

}  // namespace orv
