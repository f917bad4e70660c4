#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace orv {
class UnpackContext;
}

namespace orv::sz {
class PasswordSource;
class SevenZipArchive;
}

namespace orv::zip {

class ZipCatalog;

// One item to write and where it goes, relative to the target folder.
struct ZipJob
{
    int entry = -1;
    QString relativePath;
};

// One extraction from an open ZIP archive. Folders are made first; the files then stream from the
// library straight into checked output files, each asked about through the replace question and put in
// place only when its data came out sound.
class ZipExtraction
{
public:
    ZipExtraction(UnpackContext &context, const ZipCatalog &catalog, sz::SevenZipArchive &archive,
                  std::shared_ptr<sz::PasswordSource> passwords);

    // The archive ends before its own end record: broken data is then blamed on the missing part.
    void setTruncated(bool truncated) { m_truncated = truncated; }
    // False when any item failed or the user cancelled; a file the user chose to keep is no failure.
    bool run(const std::vector<ZipJob> &jobs, const QString &targetFolder);
    // Why the first item failed, for the detailed error; empty when nothing failed on the archive's side
    // (a cancelled run).
    const QString &error() const { return m_error; }
    // A file came out broken after a password was used: the password is likely wrong.
    bool passwordSuspect() const { return m_passwordSuspect; }

private:
    bool refuseOverlaps();
    bool makeFolder(const ZipJob &job, const QString &targetFolder);
    bool extractFiles(const std::vector<ZipJob> &files, const QString &targetFolder);

    UnpackContext &m_context;
    const ZipCatalog &m_catalog;
    sz::SevenZipArchive &m_archive;
    std::shared_ptr<sz::PasswordSource> m_passwords;
    QString m_error;
    bool m_passwordSuspect = false;
    bool m_truncated = false;
};

}  // namespace orv::zip
