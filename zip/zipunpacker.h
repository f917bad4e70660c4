#pragma once

#include "zip/ziprecords.h"

#include <QString>

#include <memory>

class QObject;

namespace orv {

namespace zip {
class ZipReader;
}

// Reads ZIP archives and everything built on them (JAR, XAP, archives under other extensions, and
// self-extracting archives behind any stub) through 7-Zip's ZIP handler. Folders that only the paths of
// their contents imply are listed too, after the real entries.
class CZipUnpacker
{
public:
    CZipUnpacker();
    virtual ~CZipUnpacker();
    CZipUnpacker(const CZipUnpacker &) = delete;
    CZipUnpacker &operator=(const CZipUnpacker &) = delete;

    void SetIni(const INIUNPACK &ini);
    void SetIniYesToAll(const INIYESTOALL &answers);
    void GetIniYesToAll(INIYESTOALL &answers) const;
    void SetWndFileTree(QObject *window);
    void SetHandleDialogProgress(QObject *window);

    bool OpenArchive(const QString &path);
    bool CloseArchive();

    // After a failed open or unpack: whether there is a text saying why, and the text.
    bool IsDetailedError() const;
    QString GetDetailedErrorMessage() const;
    // Why the open archive could be read only in part (it is cut short, its headers are broken); empty
    // when it was read whole. What could be read is listed all the same.
    QString GetDamageText() const;

    // FindNextFileW makes the next item current and answers whether another one follows it.
    bool FindFile();
    bool FindNextFileW();
    bool GetFileShortInfo(ZIPFILESHORTINFO &record) const;
    bool GetFileFullInfo(ZIPFILEFULLINFO &record) const;

    bool IsFolder(const QString &path) const;
    QString GetFileOutputInfo(const QString &path) const;
    QString GetFolderOutputInfo(const QString &path) const;
    QString GetArchiveOutputInfo() const;

    bool UnpackFile(const QString &path, const QString &targetFolder);
    bool UnpackFolder(const QString &path, const QString &targetFolder);
    bool UnpackArchive(const QString &targetFolder);
    bool UnpackCurrentFile(const QString &name, const QString &targetFolder);

private:
    std::unique_ptr<zip::ZipReader> m_impl;
};

}  // namespace orv
