#include "udfdescriptors.h"

#include "unpack/iso/isotime.h"

namespace orv::iso::udf {

namespace {

namespace Tag {
constexpr std::size_t Identifier = 0;
constexpr std::size_t Checksum = 4;
}  // namespace Tag

namespace Anchor {
constexpr std::size_t SequenceLength = 16;
constexpr std::size_t SequenceLocation = 20;
}  // namespace Anchor

namespace Pd {
constexpr std::size_t Number = 22;
constexpr std::size_t Start = 188;
constexpr std::size_t Length = 192;
}  // namespace Pd

namespace Lvd {
constexpr std::size_t Identifier = 84;
constexpr std::size_t IdentifierSize = 128;
constexpr std::size_t BlockSize = 212;
constexpr std::size_t FileSet = 248;
constexpr std::size_t MapCount = 268;
constexpr std::size_t Maps = 440;
// A type 1 map: type, length, volume sequence number, partition number.
constexpr std::size_t MapType = 0;
constexpr std::size_t MapLength = 1;
constexpr std::size_t MapVolumeSequence = 2;
constexpr std::size_t MapPartition = 4;
constexpr std::size_t Type1Length = 6;
}  // namespace Lvd

namespace Fsd {
constexpr std::size_t RootIcb = 400;
}

// Long allocation descriptor: extent length (type in the top two bits), logical block, partition
// reference, implementation use.
namespace LongAd {
constexpr std::size_t Length = 0;
constexpr std::size_t Block = 4;
constexpr std::size_t Partition = 8;
constexpr std::size_t Size = 16;
}  // namespace LongAd
namespace ShortAd {
constexpr std::size_t Size = 8;
}
constexpr std::uint32_t kExtentLengthMask = 0x3FFFFFFF;

// Both kinds of file entry share the ICB tag; the fields after it sit at other offsets.
namespace Icb {
constexpr std::size_t FileType = 27;
constexpr std::size_t Flags = 34;
constexpr std::size_t InformationLength = 56;
}  // namespace Icb
struct EntryLayout
{
    std::size_t blocksRecorded;
    std::size_t accessTime;
    std::size_t modificationTime;
    std::size_t eaLength;
    std::size_t adLength;
    std::size_t base;  // where the extended attributes start
};
constexpr EntryLayout kFileEntry{64, 72, 84, 168, 172, 176};
constexpr EntryLayout kExtendedFileEntry{72, 80, 92, 208, 212, 216};

namespace Fid {
constexpr std::size_t Characteristics = 18;
constexpr std::size_t IdentifierLength = 19;
constexpr std::size_t Icb = 20;
constexpr std::size_t ImplementationUseLength = 36;
constexpr std::size_t ImplementationUse = 38;
constexpr std::uint8_t Hidden = 0x01;
constexpr std::uint8_t Parent = 0x08;
}  // namespace Fid

UdfExtent extentWithType(std::uint32_t rawLength, std::uint32_t block, std::uint16_t partition)
{
    // Types 1 and 2 are space with nothing written in it; it reads as zeros.
    return {rawLength & kExtentLengthMask, block, partition, (rawLength >> 30) == 0};
}

UdfExtent readLongAd(ByteView bytes, std::size_t offset)
{
    return extentWithType(bytes.le32(offset + LongAd::Length), bytes.le32(offset + LongAd::Block),
                          bytes.le16(offset + LongAd::Partition));
}

FileType fileTypeOf(std::uint8_t type)
{
    switch (type) {
    case 4:
        return FileType::Directory;
    case 5:
        return FileType::File;
    default:
        return FileType::Other;
    }
}

std::optional<AllocationType> allocationTypeOf(std::uint16_t flags)
{
    switch (flags & 0x7) {
    case 0:
        return AllocationType::Short;
    case 1:
        return AllocationType::Long;
    case 3:
        return AllocationType::Embedded;
    default:
        return std::nullopt;  // extended descriptors (2) and reserved values
    }
}

}  // namespace

std::uint16_t tagIdentifier(ByteView bytes)
{
    return bytes.le16(Tag::Identifier);
}

bool UDFCheckTag(ByteView bytes, std::uint16_t identifier)
{
    if (!bytes.has(0, kTagSize) || tagIdentifier(bytes) != identifier)
        return false;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kTagSize; ++i) {
        if (i != Tag::Checksum)
            sum = std::uint8_t(sum + bytes.u8(i));
    }
    return sum == bytes.u8(Tag::Checksum);
}

QString GetDString(ByteView bytes)
{
    if (bytes.empty())
        return {};
    QString text;
    switch (bytes.u8(0)) {
    case 8:
        for (std::size_t i = 1; i < bytes.size(); ++i)
            text += QChar(char16_t(bytes.u8(i)));
        return text;
    case 16:
        for (std::size_t i = 1; i < bytes.size(); i += 2)
            text += QChar(char16_t(bytes.u8(i) << 8 | bytes.u8(i + 1)));
        return text;
    default:
        return {};
    }
}

std::int64_t GetUDFFileTime(ByteView stamp, std::int64_t scanTime)
{
    const RecordedTime time{stamp.le16(2), stamp.u8(4), stamp.u8(5), stamp.u8(6), stamp.u8(7), stamp.u8(8)};
    if (time.year == 0 && time.month == 0 && time.day == 0 && time.hour == 0 && time.minute == 0 && time.second == 0)
        return scanTime;
    return calendarToSeconds(time);
}

std::optional<AnchorPointer> parseAnchor(ByteView sector)
{
    if (!UDFCheckTag(sector, TagId::AnchorPointer) || !sector.has(Anchor::SequenceLocation, 4))
        return std::nullopt;
    return AnchorPointer{sector.le32(Anchor::SequenceLength), sector.le32(Anchor::SequenceLocation)};
}

std::optional<PartitionDescriptor> parsePartition(ByteView sector)
{
    if (!UDFCheckTag(sector, TagId::Partition) || !sector.has(Pd::Length, 4))
        return std::nullopt;
    return PartitionDescriptor{sector.le16(Pd::Number), sector.le32(Pd::Start), sector.le32(Pd::Length)};
}

LvdResult parseLogicalVolume(ByteView sector, LogicalVolumeDescriptor &out)
{
    if (!UDFCheckTag(sector, TagId::LogicalVolume) || !sector.has(Lvd::Maps, 0))
        return LvdResult::NotThisDescriptor;
    out = {};
    out.identifier = sector.sub(Lvd::Identifier, Lvd::IdentifierSize).toByteArray();
    out.blockSize = sector.le32(Lvd::BlockSize);
    out.fileSet = readLongAd(sector, Lvd::FileSet);
    const std::uint32_t count = sector.le32(Lvd::MapCount);
    std::size_t offset = Lvd::Maps;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t length = sector.u8(offset + Lvd::MapLength);
        // Every map is at least a type 1 map long, so the declared count cannot outrun the sector.
        if (!sector.has(offset, Lvd::Type1Length) || length < Lvd::Type1Length || !sector.has(offset, length)
            || sector.u8(offset + Lvd::MapType) != 1)
            return LvdResult::Refused;
        out.maps.push_back({sector.le16(offset + Lvd::MapVolumeSequence), sector.le16(offset + Lvd::MapPartition)});
        offset += length;
    }
    return LvdResult::Valid;
}

std::optional<UdfExtent> parseFileSet(ByteView bytes)
{
    if (!UDFCheckTag(bytes, TagId::FileSet) || !bytes.has(Fsd::RootIcb, LongAd::Size))
        return std::nullopt;
    return readLongAd(bytes, Fsd::RootIcb);
}

std::optional<FileEntry> parseFileEntry(ByteView icb, std::int64_t scanTime)
{
    const bool extended = UDFCheckTag(icb, TagId::ExtendedFileEntry);
    if (!extended && !UDFCheckTag(icb, TagId::FileEntry))
        return std::nullopt;
    const EntryLayout &layout = extended ? kExtendedFileEntry : kFileEntry;
    if (!icb.has(0, layout.base))
        return std::nullopt;
    const std::optional<AllocationType> allocation = allocationTypeOf(icb.le16(Icb::Flags));
    const std::uint32_t eaLength = icb.le32(layout.eaLength);
    const std::uint32_t adLength = icb.le32(layout.adLength);
    if (!allocation || eaLength % 4 != 0 || !icb.has(layout.base, eaLength)
        || !icb.has(layout.base + eaLength, adLength))
        return std::nullopt;
    FileEntry entry;
    entry.type = fileTypeOf(icb.u8(Icb::FileType));
    entry.allocation = *allocation;
    entry.informationLength = icb.le64(Icb::InformationLength);
    entry.blocksRecorded = icb.le64(layout.blocksRecorded);
    entry.accessed = GetUDFFileTime(icb.sub(layout.accessTime, 12), scanTime);
    entry.modified = GetUDFFileTime(icb.sub(layout.modificationTime, 12), scanTime);
    entry.allocationArea = icb.sub(layout.base + eaLength, adLength).toByteArray();
    return entry;
}

std::optional<std::vector<UdfExtent>> allocationExtents(const FileEntry &entry, std::uint16_t partition)
{
    const ByteView area(entry.allocationArea);
    const bool isLong = entry.allocation == AllocationType::Long;
    const std::size_t size = isLong ? LongAd::Size : ShortAd::Size;
    std::vector<UdfExtent> extents;
    for (std::size_t offset = 0; offset < area.size(); offset += size) {
        if (!area.has(offset, size))
            return std::nullopt;
        const std::uint32_t rawLength = area.le32(offset);
        if ((rawLength & kExtentLengthMask) == 0)
            break;
        if (rawLength >> 30 == 3)
            return std::nullopt;
        extents.push_back(isLong ? readLongAd(area, offset) : extentWithType(rawLength, area.le32(offset + 4), partition));
    }
    return extents;
}

FidResult parseFileIdentifier(ByteView directory, std::size_t offset, FileIdentifier &out)
{
    const ByteView fid = directory.sub(offset, directory.size());
    if (!fid.has(0, Fid::ImplementationUse))
        return FidResult::Damaged;
    const std::size_t nameLength = fid.u8(Fid::IdentifierLength);
    const std::size_t nameOffset = Fid::ImplementationUse + fid.le16(Fid::ImplementationUseLength);
    const std::size_t end = nameOffset + nameLength;
    if (!fid.has(0, end))
        return FidResult::Damaged;
    // The padding to a multiple of four is part of the descriptor; the data may end before it.
    const std::size_t padded = std::min((end + 3) & ~std::size_t(3), fid.size());
    for (std::size_t i = end; i < padded; ++i) {
        if (fid.u8(i) != 0)
            return FidResult::Damaged;
    }
    const std::uint8_t characteristics = fid.u8(Fid::Characteristics);
    out = {};
    out.length = padded;
    out.parent = (characteristics & Fid::Parent) != 0;
    if (out.parent)
        return FidResult::Skip;
    if (!UDFCheckTag(fid, TagId::FileIdentifier))
        return FidResult::Damaged;
    out.hidden = (characteristics & Fid::Hidden) != 0;
    out.icb = readLongAd(fid, Fid::Icb);
    out.name = fid.sub(nameOffset, nameLength);
    return FidResult::Valid;
}

}  // namespace orv::iso::udf
