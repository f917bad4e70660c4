#pragma once

#include "unpack/common/entrylookup.h"
#include "unpack/common/records.h"
#include "unpack/common/unpackerbase.h"
#include "unpack/rar/rararchive.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace orv {

// Everything a RAR header says about one item. Folder items carry only the path and the flags.
struct RARFILEFULLINFO : RARFILESHORTINFO
{
    QString strExtra;  // always empty
    // The record gives the version to extract and the attributes twice, with the same values.
    std::uint32_t dwUnpVer = 0;
    std::uint32_t dwUnpVer2 = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwMethod = 0;
    std::uint32_t dwFileTime = 0;  // DOS date in the high 16 bits, time in the low, local time
    std::uint32_t dwFileCRC = 0;
    std::uint32_t dwPackSize = 0;
    std::uint32_t dwPackSizeHigh = 0;
    std::uint32_t dwUnpSize = 0;
    std::uint32_t dwUnpSizeHigh = 0;
    std::uint32_t dwFileAttr = 0;  // Windows bits; with 0x8000 the Unix mode in the high half
    std::uint32_t dwFileAttr2 = 0;
};

// Lists and extracts RAR archives (RAR 1.5-4.x and RAR 5) and their volume sets, read front to back:
// every enumeration starts again at the first header. A folder item at top level has bFolder set, a
// deeper one bSubFolder; files have neither.
//
// Enumeration: FindFile; then FindNextFileW answers true the first time without moving, and afterwards
// skips the current file; the end shows as GetFileShortInfo / GetFileFullInfo answering false.
//
// An archive with encrypted headers asks for its password at open (a preset password from the
// caller's cache is tried first). Encrypted file data cannot be decrypted in this build: such a file
// fails with one message saying so, as does a later file of a solid RAR 4 archive. Extracted data is
// checked against the size and CRC of its header before the file is put in place.
class CRarUnpacker : public PasswordUnpackerBase
{
public:
    CRarUnpacker();
    ~CRarUnpacker();
    CRarUnpacker(const CRarUnpacker &other);
    CRarUnpacker &operator=(const CRarUnpacker &other);

    // The first volume of a set (name.part1.rar or name.rar); the others are read beside it.
    bool OpenArchive(const QString &path);
    // False when nothing was open or while an extraction runs.
    bool CloseArchive();

    // The password the open archive was read with.
    QString GetPassword() const { return m_passwordSet ? m_openPassword : QString(); }
    // Why the open archive could be read only in part: a volume of the set is missing, or the archive is
    // cut short or broken. Empty when it was read whole.
    QString GetDamageText() const;

    bool FindFile();
    bool FindNextFileW();
    bool GetFileShortInfo(RARFILESHORTINFO &record);
    bool GetFileFullInfo(RARFILEFULLINFO &record);

    bool IsFolder(const QString &path);
    QString GetFileOutputInfo(const QString &path);
    QString GetFolderOutputInfo(const QString &path);
    QString GetArchiveOutputInfo();

    bool UnpackFile(const QString &path, const QString &targetFolder);
    bool UnpackFolder(const QString &path, const QString &targetFolder);
    bool UnpackArchive(const QString &targetFolder);
    // Writes the current item to targetFolder + "/" + name.
    bool UnpackCurrentFile(const QString &name, const QString &targetFolder);

private:
    using Selector = std::function<std::optional<QString>(const rar::RarHeader &)>;

    bool supplyPassword(bool allowPreset);
    rar::RarCode readHeaders();
    bool readNext(bool reportErrors);
    bool LocateFile(const QString &path, RARFILEFULLINFO &record);
    void forEachHeader(const std::function<void(const rar::RarHeader &)> &visit);
    SpellingLookup lookup(const QString &path);
    bool walk(const Selector &select, const QString &targetFolder, bool emptyIsSuccess);
    bool extractCurrent(const QString &relativePath, const QString &targetFolder);
    bool stopAtMissingVolume();
    bool writeCurrent(const rar::RarHeader &header, const QString &relativePath, const QString &targetFolder);
    int onProcessData(std::uint64_t bytes);

    rar::RarArchive m_archive;
    QString m_path;
    int m_headerCounter = -1;
    std::optional<rar::RarHeader> m_current;
    std::uint64_t m_unpSize = 0;
    std::uint64_t m_processed = 0;
    QString m_progressName;
    QString m_openPassword;  // in use for the open archive
    bool m_passwordSet = false;
    bool m_busy = false;
    bool m_readFailed = false;  // the last header read ended in an error, not at the end
    bool m_stoppedAtVolume = false;  // the running extraction needed a volume that is missing
};

}  // namespace orv
