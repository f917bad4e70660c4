#pragma once

#include "unpack/common/entrylookup.h"
#include "unpack/common/unpackerbase.h"
#include "unpack/iso/imagefile.h"
#include "unpack/iso/iso9660reader.h"
#include "unpack/iso/isoitem.h"
#include "unpack/iso/isorecords.h"
#include "unpack/iso/udfvolumes.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orv {

// Reads CD, DVD and Blu-ray images with the project's own ISO 9660 and UDF readers. The whole tree is
// read once at open; listing and the one-line texts work on that list, and extraction reads file data
// straight from the image, which stays open until CloseArchive.
//
// A folder item has bFolder set; bSubFolder tells whether its path has a parent. FindNextFileW makes the
// next item current and answers whether another one follows it.
class CIsoUnpacker : public UnpackerBase
{
public:
    CIsoUnpacker();
    virtual ~CIsoUnpacker();
    CIsoUnpacker(const CIsoUnpacker &) = delete;
    CIsoUnpacker &operator=(const CIsoUnpacker &) = delete;

    // Recognises the file system of an image without opening it for use: UDF when the UDF descriptors
    // follow the ISO 9660 ones, else ISO 9660 when a Primary Volume Descriptor is anywhere in the file.
    void CheckIsoImage(const QString &path);
    bool OpenArchive(const QString &path);
    bool CloseArchive();
    // The open image was read as UDF.
    bool IsUDF() const { return m_udfFound; }
    // Why the open image could be read only in part; empty when it is whole.
    QString GetDamageText() const { return m_damage; }

    bool FindFile();
    bool FindNextFileW();
    bool GetFileShortInfo(ISOFILESHORTINFO &record) const;
    bool GetFileFullInfo(ISOFILEFULLINFO &record) const;
    // Makes current the first item with this path, compared without regard to case.
    bool LocateFile(const QString &path);

    bool IsFolder(const QString &path) const;
    QString GetFileOutputInfo(const QString &path) const;
    QString GetFolderOutputInfo(const QString &path) const;
    QString GetArchiveOutputInfo() const;

    bool UnpackFile(const QString &path, const QString &targetFolder);
    bool UnpackFolder(const QString &path, const QString &targetFolder);
    bool UnpackArchive(const QString &targetFolder);
    // Writes the current item to the target folder under the last component of name.
    bool UnpackCurrentFile(const QString &name, const QString &targetFolder);

    void RemoveUDFAllItems() { m_udf.RemoveUDFAllItems(); }

private:
    // A stretch of a file's data: bytes of the image, or zeros for space the image never wrote.
    struct DataRun
    {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        bool zeros = false;
    };

    bool openUdf();
    bool openIso9660();
    void noteDamage();
    void RemoveAllItems();
    std::optional<std::size_t> find(const QString &path) const;
    SpellingLookup lookup(const QString &path) const;
    std::uint64_t itemSize(const iso::CIsoItemInfo &item) const;
    std::uint64_t itemPacked(const iso::CIsoItemInfo &item) const;
    QString fileText(const iso::CIsoItemInfo &item) const;

    bool extractItem(std::size_t index, const QString &targetFolder, const QString &relativePath);
    bool writeFile(const iso::CIsoItemInfo &item, const QString &targetFolder, const QString &relativePath);
    std::optional<std::vector<DataRun>> dataRuns(const iso::CIsoItemInfo &item) const;
    bool copyRuns(const std::vector<DataRun> &runs, std::uint64_t total, const QString &name, OutputFile &file);

    iso::ImageFile m_image;
    iso::Iso9660Volume m_iso9660;
    iso::UdfVolumes m_udf;
    std::vector<iso::CIsoItemInfo> m_items;
    QString m_damage;
    bool m_isoFound = false;
    bool m_udfFound = false;
    std::size_t m_next = 0;
    std::optional<std::size_t> m_current;
};

}  // namespace orv
