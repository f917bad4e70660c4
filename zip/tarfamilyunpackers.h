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

// The tar family, read through libarchive: a tar archive, plain or under any compression libarchive knows,
// and a file compressed with gzip, bzip2 or xz, which holds one item named after the file (a gzip file's
// header may name it) or a tar. Folders that only the paths of a tar's contents imply are listed too, after
// the real items. The members differ only in the compression they expect.
class CTarFamilyUnpacker
{
public:
    virtual ~CTarFamilyUnpacker();
    CTarFamilyUnpacker(const CTarFamilyUnpacker &) = delete;
    CTarFamilyUnpacker &operator=(const CTarFamilyUnpacker &) = delete;

    void SetIni(const INIUNPACK &ini);
    void SetIniYesToAll(const INIYESTOALL &answers);
    void GetIniYesToAll(INIYESTOALL &answers) const;
    void SetWndFileTree(QObject *window);
    void SetHandleDialogProgress(QObject *window);

    bool OpenArchive(const QString &path);
    bool CloseArchive();
    // True when the decompressed stream holds a tar: item 0 is then the tar itself and the tar's items
    // follow. A plain tar answers false.
    bool IsTarInside() const;
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

protected:
    explicit CTarFamilyUnpacker(zip::Compression compression);

private:
    std::unique_ptr<zip::StreamUnpacker> m_impl;
};

class CTarUnpacker : public CTarFamilyUnpacker
{
public:
    CTarUnpacker() : CTarFamilyUnpacker(zip::Compression::None) {}
};

class CGZipUnpacker : public CTarFamilyUnpacker
{
public:
    CGZipUnpacker() : CTarFamilyUnpacker(zip::Compression::GZip) {}
};

class CBZip2Unpacker : public CTarFamilyUnpacker
{
public:
    CBZip2Unpacker() : CTarFamilyUnpacker(zip::Compression::BZip2) {}
};

class CXzUnpacker : public CTarFamilyUnpacker
{
public:
    CXzUnpacker() : CTarFamilyUnpacker(zip::Compression::Xz) {}
};

}  // namespace orv
