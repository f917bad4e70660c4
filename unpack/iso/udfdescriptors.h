#pragma once

#include "unpack/common/byteview.h"
#include "unpack/iso/isoitem.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The UDF descriptors the reader uses (ECMA-167 parts 3 and 4), one small parser per descriptor. Each
// takes the bytes as read and answers no value when they do not hold a whole, valid descriptor.
namespace orv::iso::udf {

namespace TagId {
constexpr std::uint16_t AnchorPointer = 2;
constexpr std::uint16_t Partition = 5;
constexpr std::uint16_t LogicalVolume = 6;
constexpr std::uint16_t Terminating = 8;
constexpr std::uint16_t FileSet = 256;
constexpr std::uint16_t FileIdentifier = 257;
constexpr std::uint16_t FileEntry = 261;
constexpr std::uint16_t ExtendedFileEntry = 266;
}  // namespace TagId

constexpr std::size_t kTagSize = 16;

std::uint16_t tagIdentifier(ByteView bytes);
// The identifier is the expected one and the checksum byte is the sum of the other fifteen tag bytes.
bool UDFCheckTag(ByteView bytes, std::uint16_t identifier);

// A d-string or file identifier: compression 8 is one byte per character, 16 is UTF-16 high byte first;
// any other compression gives an empty name.
QString GetDString(ByteView bytes);
// A 12-byte time stamp; the moment of the scan when all six calendar fields are zero.
std::int64_t GetUDFFileTime(ByteView stamp, std::int64_t scanTime);

struct AnchorPointer
{
    std::uint32_t sequenceLength = 0;    // bytes
    std::uint32_t sequenceLocation = 0;  // sector
};
std::optional<AnchorPointer> parseAnchor(ByteView sector);

struct PartitionDescriptor
{
    std::uint16_t number = 0;
    std::uint32_t start = 0;   // sector
    std::uint32_t length = 0;  // sectors
};
std::optional<PartitionDescriptor> parsePartition(ByteView sector);

struct PartitionMap
{
    std::uint16_t volumeSequence = 0;
    std::uint16_t partitionNumber = 0;
};

struct LogicalVolumeDescriptor
{
    QByteArray identifier;
    std::uint32_t blockSize = 0;
    UdfExtent fileSet;
    std::vector<PartitionMap> maps;
};

enum class LvdResult { Valid, NotThisDescriptor, Refused };
// Refused: a partition map that runs past the sector or is not of type 1 (the reader maps partitions
// one to one; virtual, sparable and metadata partitions are not read).
LvdResult parseLogicalVolume(ByteView sector, LogicalVolumeDescriptor &out);

// Root directory ICB of a File Set Descriptor.
std::optional<UdfExtent> parseFileSet(ByteView bytes);

// Other: symbolic links, devices, stream directories and the like, which hold no listable data.
enum class FileType { Directory, File, Other };
enum class AllocationType { Short, Long, Embedded };

// A File Entry or an Extended File Entry: the same fields at other offsets.
struct FileEntry
{
    FileType type = FileType::File;
    AllocationType allocation = AllocationType::Short;
    std::uint64_t informationLength = 0;
    std::uint64_t blocksRecorded = 0;
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    QByteArray allocationArea;  // the allocation descriptors, or the data itself when embedded
};

// No value for anything but a valid entry whose allocation descriptors lie inside the bytes; extended
// allocation descriptors are refused.
std::optional<FileEntry> parseFileEntry(ByteView icb, std::int64_t scanTime);

// The extents of a short or long allocation area; short descriptors lie in the given partition. No value
// when a descriptor runs past the area. A descriptor of length 0 ends the list; a continuation of the
// list elsewhere (extent type 3) is refused.
std::optional<std::vector<UdfExtent>> allocationExtents(const FileEntry &entry, std::uint16_t partition);

struct FileIdentifier
{
    bool hidden = false;
    bool parent = false;
    UdfExtent icb;
    ByteView name;
    std::size_t length = 0;  // of the whole descriptor, padding included
};

enum class FidResult { Valid, Skip, Damaged };
// The File Identifier Descriptor at the offset of a directory's data. Skip: a parent entry, to be stepped
// over. Damaged: no valid tag, a length past the data, or a non-zero padding byte.
FidResult parseFileIdentifier(ByteView directory, std::size_t offset, FileIdentifier &out);

}  // namespace orv::iso::udf
