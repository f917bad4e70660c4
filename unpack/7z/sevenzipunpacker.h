#pragma once

#include "unpack/common/entrylookup.h"
#include "unpack/common/records.h"
#include "unpack/common/unpackerbase.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orv {

namespace sevenzip {
struct Job;
struct OpenArchive;
}

// Everything the archive says about one item. Folder items carry only the path and the flags.
struct SEVENZIPFILEFULLINFO : SEVENZIPFILESHORTINFO
{
    std::uint64_t nSize = 0;
    std::uint64_t nPackSize = 0;      // the whole block on the first file of a solid block, else 0
    std::uint32_t dwAttributes = 0;   // Windows bits; the Unix mode in the high half with bit 0x8000
    std::uint32_t dwDosDateTime = 0;  // local time, date in the high 16 bits
    std::uint32_t dwCRC = 0;
    QString strMethod;
};

// Lists and extracts 7z archives and split 7z sets through 7z.so. A folder item at top level has bFolder
// set, a deeper one bSubFolder; files have neither.
//
// Passwords: an archive with encrypted headers asks at open, one with encrypted files when they are
// extracted, at most once per extraction. The answer is remembered for later extractions and opens of
// this object. A password preset by the caller (SetPassword with SetUsePassword) is tried first; when
// the archive refuses it the user is asked instead.
class C7zUnpacker : public PasswordUnpackerBase
{
public:
    C7zUnpacker();
    virtual ~C7zUnpacker();
    // A copy shares the open archive with the original.
    C7zUnpacker(const C7zUnpacker &other);
    C7zUnpacker &operator=(const C7zUnpacker &other);

    bool OpenArchive(const QString &path);
    // The first volume of a split set (name.7z.001, .01 or .aa); the following ones are read beside it.
    bool OpenMultiVolumeArchive(const QString &path);
    // False when nothing was open or while an extraction runs.
    bool CloseArchive();

    // The password remembered for later opens.
    QString GetPassword() const { return m_passwordKnown ? m_password : QString(); }
    // Why the open archive could be read only in part; empty when it was read whole.
    QString GetDamageText() const;

    // FindNextFileW makes the next item current and answers whether another one follows it.
    bool FindFile();
    bool FindNextFileW();
    bool GetFileShortInfo(SEVENZIPFILESHORTINFO &record) const;
    bool GetFileFullInfo(SEVENZIPFILEFULLINFO &record) const;

    bool IsFolder(const QString &path) const;
    QString GetFileOutputInfo(const QString &path) const;
    QString GetFolderOutputInfo(const QString &path) const;
    QString GetArchiveOutputInfo() const;

    bool UnpackFile(const QString &path, const QString &targetFolder);
    bool UnpackFolder(const QString &path, const QString &targetFolder);
    bool UnpackArchive(const QString &targetFolder);
    // Writes the current item to targetFolder + "/" + name.
    bool UnpackCurrentFile(const QString &name, const QString &targetFolder);

private:
    bool openVolumes(const QStringList &volumes);
    bool tryOpen(const QStringList &volumes, bool usePreset);
    std::optional<std::uint32_t> LocateFile(const QString &path) const;
    SpellingLookup lookup(const QString &path) const;
    bool runJobs(const std::vector<sevenzip::Job> &jobs, const QString &targetFolder);

    std::shared_ptr<sevenzip::OpenArchive> m_open;
    std::uint32_t m_next = 0;
    std::optional<std::uint32_t> m_current;
};

}  // namespace orv
