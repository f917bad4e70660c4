#include "xzunpacker.h"

#include "zip/streamunpacker.h"

namespace orv {

CXzUnpacker::CXzUnpacker() : m_impl(std::make_unique<zip::StreamUnpacker>(zip::Compression::Xz)) {}

CXzUnpacker::~CXzUnpacker() = default;

void CXzUnpacker::SetIni(const INIUNPACK &ini)
{
    m_impl->setIni(ini);
}

void CXzUnpacker::SetIniYesToAll(const INIYESTOALL &answers)
{
    m_impl->setYesToAll(answers);
}

void CXzUnpacker::GetIniYesToAll(INIYESTOALL &answers) const
{
    answers = m_impl->yesToAll();
}

void CXzUnpacker::SetWndFileTree(QObject *window)
{
    m_impl->setFileTree(window);
}

void CXzUnpacker::SetHandleDialogProgress(QObject *window)
{
    m_impl->setProgress(window);
}

bool CXzUnpacker::OpenArchive(const QString &path)
{
    return m_impl->open(path);
}

bool CXzUnpacker::CloseArchive()
{
    return m_impl->close();
}

bool CXzUnpacker::IsTarInside() const
{
    return m_impl->isTarInside();
}

QString CXzUnpacker::GetLastErrorText() const
{
    return m_impl->lastError();
}

zip::StreamResult CXzUnpacker::StreamEntries(const QString &path, bool underTar,
                                          const zip::StreamedItemVisitor &visit)
{
    return m_impl->streamEntries(path, underTar, visit);
}

bool CXzUnpacker::FindFile()
{
    return m_impl->findFile();
}

bool CXzUnpacker::FindNextFileW()
{
    return m_impl->findNextFile();
}

bool CXzUnpacker::GetFileShortInfo(XZFILESHORTINFO &record) const
{
    return m_impl->shortInfo(record);
}

bool CXzUnpacker::GetFileFullInfo(XZFILEFULLINFO &record) const
{
    return m_impl->fullInfo(record);
}

bool CXzUnpacker::IsFolder(const QString &path) const
{
    return m_impl->isFolder(path);
}

QString CXzUnpacker::GetFileOutputInfo(const QString &path) const
{
    return m_impl->fileOutputInfo(path);
}

QString CXzUnpacker::GetFolderOutputInfo(const QString &path) const
{
    return m_impl->folderOutputInfo(path);
}

QString CXzUnpacker::GetArchiveOutputInfo() const
{
    return m_impl->archiveOutputInfo();
}

bool CXzUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFile(path, targetFolder);
}

bool CXzUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFolder(path, targetFolder);
}

bool CXzUnpacker::UnpackArchive(const QString &targetFolder)
{
    return m_impl->unpackArchive(targetFolder);
}

bool CXzUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    return m_impl->unpackCurrentFile(name, targetFolder);
}

}  // namespace orv
