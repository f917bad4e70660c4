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

class OutputFile;

namespace cab {
class Fdi;
class ExtractPass;
struct Request;
}

// One file a listing pass found.
class CCabItemInfo
{
public:
    virtual ~CCabItemInfo() = default;

    std::uint16_t wAttributes = 0;
    std::uint16_t wDosTime = 0;
    std::uint16_t wDosDate = 0;
    std::uint32_t dwSize = 0;
    QString strName;    // "/"-separated
    bool bFolderEntry = false;  // the stored name ended in a separator
};

struct CABFILEFULLINFO : CABFILESHORTINFO
{
    std::uint32_t dwSize = 0;
    std::uint16_t wDosDate = 0;
    std::uint16_t wDosTime = 0;
    std::uint16_t wAttributes = 0;
};

// Lists and extracts Microsoft Cabinet files. A cabinet records only files, so folders come from their
// paths: a file in a folder has bSubFolder set. A set that continues in further cabinet files is followed
// when those files lie beside the first.
//
// The data of every cabinet extraction reaches its unpacker through the class-wide m_pThis, so only one
// cabinet extraction runs at a time in the process: a second one, started from the events the first
// pumps, is refused.
class CCabUnpacker : public UnpackerBase
{
public:
    CCabUnpacker();
    ~CCabUnpacker();
    CCabUnpacker(const CCabUnpacker &) = delete;
    CCabUnpacker &operator=(const CCabUnpacker &) = delete;

    bool OpenArchive(const QString &path);
    bool CloseArchive();
    // Why the open cabinet could be read only in part (it is shorter than its header says); empty when
    // it is whole.
    QString GetDamageText() const { return m_damage; }

    // Lists the cabinet anew; true when it holds at least one file.
    bool FindFile();
    bool InitScan() { return FindFile(); }
    bool FindNextFileW();
    bool GetFileShortInfo(CABFILESHORTINFO &record) const;
    bool GetFileFullInfo(CABFILEFULLINFO &record) const;

    bool IsFolder(const QString &path);
    QString GetFileOutputInfo(const QString &path);
    QString GetFolderOutputInfo(const QString &path);
    QString GetArchiveOutputInfo();

    bool UnpackFile(const QString &path, const QString &targetFolder);
    bool UnpackFolder(const QString &path, const QString &targetFolder);
    bool UnpackArchive(const QString &targetFolder);
    // Writes the current item to targetFolder + "/" + name.
    bool UnpackCurrentFile(const QString &name, const QString &targetFolder);

    static void SetThis(CCabUnpacker *unpacker) { m_pThis = unpacker; }
    static CCabUnpacker *GetThis() { return m_pThis; }

private:
    friend class cab::ExtractPass;

    static int FDIWrite(OutputFile &file, const void *data, int size);
    bool scan();
    const std::vector<std::unique_ptr<CCabItemInfo>> &items();
    const CCabItemInfo *LocateFile(const QString &path);
    SpellingLookup lookup(const QString &path);
    bool runPass(const cab::Request &request);
    void RemoveAllItems() { m_items.clear(); }

    static CCabUnpacker *m_pThis;

    std::unique_ptr<cab::Fdi> m_fdi;
    QString m_cabinetName;    // after the last "/"
    QString m_cabinetFolder;  // up to and including the last "/"
    std::vector<std::unique_ptr<CCabItemInfo>> m_items;
    bool m_listed = false;
    std::size_t m_next = 0;
    std::optional<std::size_t> m_current;
    // The item being written, for progress.
    QString m_currentName;
    std::uint64_t m_written = 0;
    std::uint64_t m_itemSize = 0;
    bool m_busy = false;
    QString m_damage;
};

}  // namespace orv
