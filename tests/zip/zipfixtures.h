#pragma once

#include "zip/streamlisting.h"
#include "zip/zipfamilyrecords.h"

#include <QString>
#include <QStringList>

#include <memory>

class QObject;

namespace orv::test {

enum class ZipKind { Tar, GZip, BZip2, Xz };

// The four unpackers behind one interface, so that one table drives them all.
class AnyUnpacker
{
public:
    virtual ~AnyUnpacker() = default;
    virtual void SetIni(const INIUNPACK &ini) = 0;
    virtual void SetIniYesToAll(const INIYESTOALL &answers) = 0;
    virtual INIYESTOALL yesToAll() const = 0;
    virtual void SetHandleDialogProgress(QObject *window) = 0;
    virtual bool OpenArchive(const QString &path) = 0;
    virtual bool IsTarInside() const = 0;
    virtual QString GetLastErrorText() const = 0;
    virtual bool FindFile() = 0;
    virtual bool FindNextFileW() = 0;
    virtual bool GetFileFullInfo(TARFILEFULLINFO &record) const = 0;
    virtual bool IsFolder(const QString &path) const = 0;
    virtual QString GetFileOutputInfo(const QString &path) const = 0;
    virtual QString GetFolderOutputInfo(const QString &path) const = 0;
    virtual QString GetArchiveOutputInfo() const = 0;
    virtual bool UnpackFile(const QString &path, const QString &target) = 0;
    virtual bool UnpackFolder(const QString &path, const QString &target) = 0;
    virtual bool UnpackArchive(const QString &target) = 0;
    virtual bool UnpackCurrentFile(const QString &name, const QString &target) = 0;
    virtual zip::StreamResult StreamEntries(const QString &path, const zip::StreamedItemVisitor &visit) = 0;
};

std::unique_ptr<AnyUnpacker> makeUnpacker(ZipKind kind);
// The class a file name's extension picks.
ZipKind kindOfName(const QString &fileName);

// Every full record of a listing, in order.
std::vector<TARFILEFULLINFO> listAll(AnyUnpacker &unpacker);

// Runs a program; true when it exited with 0. The standard output is returned through out.
bool run(const QString &program, const QStringList &arguments, const QString &workingFolder = {},
         QByteArray *out = nullptr);

// A small tree with fixed times, and the archives made from it with the system tools:
// a.tar, a.tar.gz, a.tgz, a.tar.bz2, a.tar.xz, nodirs.tar (no folder headers), note.txt.gz (name stored),
// renamed.gz (no name stored), note.txt.bz2, note.txt.xz.
class ZipFixtures
{
public:
    explicit ZipFixtures(const QString &folder);
    bool isValid() const { return m_valid; }
    QString source() const { return m_folder + QStringLiteral("/src"); }
    QString path(const QString &name) const { return m_folder + QLatin1Char('/') + name; }
    static QStringList archiveNames();

private:
    bool build();
    QString m_folder;
    bool m_valid = false;
};

}  // namespace orv::test
