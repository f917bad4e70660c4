#include "gzipunpacker.h"

#include "zip/streamunpacker.h"

namespace orv {

CGZipUnpacker::CGZipUnpacker() : m_impl(std::make_unique<zip::StreamUnpacker>(zip::Compression::GZip)) {}

CGZipUnpacker::~CGZipUnpacker() = default;

void CGZipUnpacker::SetIni(const INIUNPACK &ini)
{
    m_impl->setIni(ini);
}

void CGZipUnpacker::SetIniYesToAll(const INIYESTOALL &answers)
{
    m_impl->setYesToAll(answers);
}

void CGZipUnpacker::GetIniYesToAll(INIYESTOALL &answers) const
{
    answers = m_impl->yesToAll();
}

void CGZipUnpacker::SetWndFileTree(QObject *window)
{
    m_impl->setFileTree(window);
}

void CGZipUnpacker::SetHandleDialogProgress(QObject *window)
{
    m_impl->setProgress(window);
}

bool CGZipUnpacker::OpenArchive(const QString &path)
{
    return m_impl->open(path);
}

bool CGZipUnpacker::CloseArchive()
{
    return m_impl->close();
}

bool CGZipUnpacker::IsTarInside() const
{
    return m_impl->isTarInside();
}

QString CGZipUnpacker::GetLastErrorText() const
{
    return m_impl->lastError();
}

zip::StreamResult CGZipUnpacker::StreamEntries(const QString &path, bool underTar,
                                          const zip::StreamedItemVisitor &visit)
{
    return m_impl->streamEntries(path, underTar, visit);
}

bool CGZipUnpacker::FindFile()
{
    return m_impl->findFile();
}

bool CGZipUnpacker::FindNextFileW()
{
    return m_impl->findNextFile();
}

bool CGZipUnpacker::GetFileShortInfo(GZIPFILESHORTINFO &record) const
{
    return m_impl->shortInfo(record);
}

bool CGZipUnpacker::GetFileFullInfo(GZIPFILEFULLINFO &record) const
{
    return m_impl->fullInfo(record);
}

bool CGZipUnpacker::IsFolder(const QString &path) const
{
    return m_impl->isFolder(path);
}

QString CGZipUnpacker::GetFileOutputInfo(const QString &path) const
{
    return m_impl->fileOutputInfo(path);
}

QString CGZipUnpacker::GetFolderOutputInfo(const QString &path) const
{
    return m_impl->folderOutputInfo(path);
}

QString CGZipUnpacker::GetArchiveOutputInfo() const
{
    return m_impl->archiveOutputInfo();
}

bool CGZipUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFile(path, targetFolder);
}

bool CGZipUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFolder(path, targetFolder);
}

bool CGZipUnpacker::UnpackArchive(const QString &targetFolder)
{
    return m_impl->unpackArchive(targetFolder);
}

bool CGZipUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    return m_impl->unpackCurrentFile(name, targetFolder);
}

}  // namespace orv
