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
struct ItemInfo;
}

namespace orv::sevenzip {

// One item to write and where it goes, relative to the target folder.
struct Job
{
    quint32 index = 0;
    QString relativePath;
};

// One extraction from an open 7z archive. Folders are made first; the files then stream from the library
// straight into checked output files, each asked about through the replace question and put in place
// only when the library reported its data sound (a wrong password can produce garbage of full length).
class Extraction
{
public:
    Extraction(UnpackContext &context, sz::SevenZipArchive &archive, const std::vector<sz::ItemInfo> &items,
               std::shared_ptr<sz::PasswordSource> passwords);

    // False when any item failed or was skipped, or the user cancelled.
    bool run(const std::vector<Job> &jobs, const QString &targetFolder);
    // Why the first item failed; empty when nothing failed on the archive's side.
    const QString &error() const { return m_error; }
    // An encrypted file came out broken after a password was given: the password is likely wrong.
    bool passwordSuspect() const { return m_passwordSuspect; }

private:
    bool extractFiles(const std::vector<Job> &files, const QString &targetFolder);

    UnpackContext &m_context;
    sz::SevenZipArchive &m_archive;
    const std::vector<sz::ItemInfo> &m_items;
    std::shared_ptr<sz::PasswordSource> m_passwords;
    QString m_error;
    bool m_passwordSuspect = false;
};

}  // namespace orv::sevenzip
