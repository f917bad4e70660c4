#pragma once

#include "unpack/common/unpackerbase.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "zip/zipcatalog.h"
#include "zip/zipextraction.h"
#include "zip/ziprecords.h"

#include <QString>

#include <optional>
#include <vector>

namespace orv::zip {

// The implementation behind CZipUnpacker. The archive stays open in the library between calls; the
// listing is taken once at open. GetLastErrorText is the detailed error of the last failed open or unpack.
class ZipReader : public UnpackerBase
{
public:
    bool open(const QString &path);
    bool close();
    bool isOpen() const { return m_archive.isOpen(); }
    const QString &damageText() const { return m_damage; }

    bool findFile();
    bool findNextFile();
    bool shortInfo(ZIPFILESHORTINFO &record) const;
    bool fullInfo(ZIPFILEFULLINFO &record) const;

    bool isFolder(const QString &path) const;
    QString fileOutputInfo(const QString &path) const;
    QString folderOutputInfo(const QString &path) const;
    QString archiveOutputInfo() const;

    bool unpackFile(const QString &path, const QString &targetFolder);
    bool unpackFolder(const QString &path, const QString &targetFolder);
    bool unpackArchive(const QString &targetFolder);
    bool unpackCurrentFile(const QString &name, const QString &targetFolder);

private:
    bool openFailure();
    bool runJobs(const std::vector<ZipJob> &jobs, const QString &targetFolder);
    bool beginUnpack();

    sz::SevenZipArchive m_archive;
    ZipCatalog m_catalog;
    QString m_path;
    QString m_damage;
    // The password that opened the encrypted entries last; forgotten when it seems wrong.
    std::optional<QString> m_password;
    int m_current = -1;
    int m_next = 0;
    // Events pumped during an extraction may call back into this object.
    bool m_busy = false;
};

// The ZIP record for a listed entry.
void fillFullInfo(ZIPFILEFULLINFO &record, const ArchiveEntry &entry, const ZipFacts *facts, const QString &method);

}  // namespace orv::zip
