#pragma once

#include "unpack/common/byteview.h"
#include "unpack/iso/isoitem.h"
#include "unpack/iso/scanguard.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orv::iso {

class ImageFile;

// Volume descriptors are recognised on 2048-byte blocks whatever the logical block size.
constexpr std::uint32_t kDescriptorBlock = 2048;

// What CheckIsoImage found.
struct Recognition
{
    bool iso9660 = false;
    bool udf = false;
};

// Bytes 1-5 of a volume descriptor.
QString GetStandardIdentifier(ByteView block);
bool IsPrimaryVolumeDescriptor(ByteView block);
bool IsDirISO9660(std::uint8_t flags);
bool IsHiddenISO9660(std::uint8_t flags);

// The identifier of a directory record after the version rules: "FILE.;1" is "FILE", "A.TXT;2" stays.
// The record must hold its identifier (checked by the caller).
QString GetNameItemISO9660(ByteView record);
// The recording time of a directory record; the moment of the scan when all six fields are zero.
std::int64_t GetISO9660FileTime(ByteView record, std::int64_t scanTime);

// UDF wins when its descriptors follow the ISO 9660 ones; else a Primary Volume Descriptor anywhere in
// the file makes it ISO 9660.
Recognition CheckIsoImage(const ImageFile &image);

struct Iso9660Volume
{
    std::uint32_t blockSize = 0;
    std::uint32_t rootExtent = 0;
    std::uint32_t rootLength = 0;
    std::uint32_t spaceBlocks = 0;  // the size of the whole volume, in logical blocks
};

// The first Primary Volume Descriptor, searched on every 2048-byte block from the start of the file.
std::optional<Iso9660Volume> OpenISO9660(const ImageFile &image);

// Reads the directory tree of an ISO 9660 volume into items, in pre-order.
class Iso9660Scanner
{
public:
    Iso9660Scanner(const ImageFile &image, const Iso9660Volume &volume, std::vector<CIsoItemInfo> &items,
                   std::int64_t scanTime);

    void scanRoot();
    // One directory extent and, at once, every directory below it. An extent that cannot be read, was
    // read before or lies too deep is taken as empty.
    void InitScanISO9660(std::uint32_t extent, std::uint32_t length, const QString &parent, int depth = 0);

private:
    // The record at offset, or an empty view when it does not fit in the bytes read.
    static ByteView recordAt(ByteView data, std::size_t offset);
    // Where the walk goes on after a zero length byte; no value when the directory ends there.
    std::optional<std::size_t> nextBlock(ByteView data, std::size_t offset) const;
    void addItem(ByteView record, const QString &parent, int depth);

    const ImageFile &m_image;
    Iso9660Volume m_volume;
    std::vector<CIsoItemInfo> &m_items;
    std::int64_t m_scanTime;
    ScanGuard m_guard;
};

}  // namespace orv::iso
