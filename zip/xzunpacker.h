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

// Reads an xz (or lzma) file: one item named after the file, or a tar inside it.
class CXzUnpacker
{
public:
    CXzUnpacker();
    virtual ~CXzUnpacker();
    CXzUnpacker(const CXzUnpacker &) = delete;
    CXzUnpacker &operator=(const CXzUnpacker &) = delete;

    void SetIni(const INIUNPACK &ini);
    void SetIniYesToAll(const INIYESTOALL &answers);
    void GetIniYesToAll(INIYESTOALL &answers) const;
    void SetWndFileTree(QObject *window);
    void SetHandleDialogProgress(QObject *window);

    bool OpenArchive(const QString &path);
    bool CloseArchive();
    // True when the decompressed stream holds a tar: item 0 is then the tar itself and the tar's items
    // follow.
    bool IsTarInside() const;
    // Why the last open or extraction failed.
    QString GetLastErrorText() const;

    // Lists the archive as it is read, without opening it: see zip::streamArchive.
    zip::StreamResult StreamEntries(const QString &path, bool underTar, const zip::StreamedItemVisitor &visit);

    // FindNextFileW makes the next item current and answers whether another one follows it.
    bool FindFile();
    bool FindNextFileW();
    bool GetFileShortInfo(XZFILESHORTINFO &record) const;
    bool GetFileFullInfo(XZFILEFULLINFO &record) const;

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
