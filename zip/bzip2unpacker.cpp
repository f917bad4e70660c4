#include "bzip2unpacker.h"

#include "zip/streamunpacker.h"

namespace orv {

CBZip2Unpacker::CBZip2Unpacker() : m_impl(std::make_unique<zip::StreamUnpacker>(zip::Compression::BZip2)) {}

CBZip2Unpacker::~CBZip2Unpacker() = default;

void CBZip2Unpacker::SetIni(const INIUNPACK &ini)
{
    m_impl->setIni(ini);
}

void CBZip2Unpacker::SetIniYesToAll(const INIYESTOALL &answers)
{
    m_impl->setYesToAll(answers);
}

void CBZip2Unpacker::GetIniYesToAll(INIYESTOALL &answers) const
{
    answers = m_impl->yesToAll();
}

void CBZip2Unpacker::SetWndFileTree(QObject *window)
{
    m_impl->setFileTree(window);
}

void CBZip2Unpacker::SetHandleDialogProgress(QObject *window)
{
    m_impl->setProgress(window);
}

bool CBZip2Unpacker::OpenArchive(const QString &path)
{
    return m_impl->open(path);
}

bool CBZip2Unpacker::CloseArchive()
{
    return m_impl->close();
}

bool CBZip2Unpacker::IsTarInside() const
{
    return m_impl->isTarInside();
}

QString CBZip2Unpacker::GetLastErrorText() const
{
    return m_impl->lastError();
}

zip::StreamResult CBZip2Unpacker::StreamEntries(const QString &path, bool underTar,
                                          const zip::StreamedItemVisitor &visit)
{
    return m_impl->streamEntries(path, underTar, visit);
}

bool CBZip2Unpacker::FindFile()
{
    return m_impl->findFile();
}

bool CBZip2Unpacker::FindNextFileW()
{
    return m_impl->findNextFile();
}

bool CBZip2Unpacker::GetFileShortInfo(BZIP2FILESHORTINFO &record) const
{
    return m_impl->shortInfo(record);
}

bool CBZip2Unpacker::GetFileFullInfo(BZIP2FILEFULLINFO &record) const
{
    return m_impl->fullInfo(record);
}

bool CBZip2Unpacker::IsFolder(const QString &path) const
{
    return m_impl->isFolder(path);
}

QString CBZip2Unpacker::GetFileOutputInfo(const QString &path) const
{
    return m_impl->fileOutputInfo(path);
}

QString CBZip2Unpacker::GetFolderOutputInfo(const QString &path) const
{
    return m_impl->folderOutputInfo(path);
}

QString CBZip2Unpacker::GetArchiveOutputInfo() const
{
    return m_impl->archiveOutputInfo();
}

bool CBZip2Unpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFile(path, targetFolder);
}

bool CBZip2Unpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    return m_impl->unpackFolder(path, targetFolder);
}

bool CBZip2Unpacker::UnpackArchive(const QString &targetFolder)
{
    return m_impl->unpackArchive(targetFolder);
}

bool CBZip2Unpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    return m_impl->unpackCurrentFile(name, targetFolder);
}

}  // namespace orv
