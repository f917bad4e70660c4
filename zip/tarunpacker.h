#pragma once

#include "zip/streamlisting.h"
#include "zip/zipfamilyrecords.h"

#include <QString>

#include <memory>

class QObject;

namespace orv {

namespace zip {
class StreamUnpacker;
}

// Reads a tar archive, plain or under any compression libarchive knows. Folders that only the paths of
// their contents imply are listed too, after the real items.
class CTarUnpacker
{
public:
    CTarUnpacker();
    virtual ~CTarUnpacker();
    CTarUnpacker(const CTarUnpacker &) = delete;
    CTarUnpacker &operator=(const CTarUnpacker &) = delete;

    void SetIni(const INIUNPACK &ini);
    void SetIniYesToAll(const INIYESTOALL &answers);
    void GetIniYesToAll(INIYESTOALL &answers) const;
    void SetWndFileTree(QObject *window);
    void SetHandleDialogProgress(QObject *window);

    bool OpenArchive(const QString &path);
    bool CloseArchive();
    // Why the last open or extraction failed.
    QString GetLastErrorText() const;

    // Lists the archive as it is read, without opening it: see zip::streamArchive.
    zip::StreamResult StreamEntries(const QString &path, bool underTar, const zip::StreamedItemVisitor &visit);

    // FindNextFileW makes the next item current and answers whether another one follows it.
    bool FindFile();
    bool FindNextFileW();
    bool GetFileShortInfo(TARFILESHORTINFO &record) const;
    bool GetFileFullInfo(TARFILEFULLINFO &record) const;

    bool IsFolder(const QString &path) const;
    QString GetFileOutputInfo(const QString &path) const;
    QString GetFolderOutputInfo(const QString &path) const;
    QString GetArchiveOutputInfo() const;

    bool UnpackFile(const QString &path, const QString &targetFolder);
    bool UnpackFolder(const QString &path, const QString &targetFolder);
    bool UnpackArchive(const QString &targetFolder);
    bool UnpackCurrentFile(const QString &name, const QString &targetFolder);

private:
    std::unique_ptr<zip::StreamUnpacker> m_impl;
};

}  // namespace orv
