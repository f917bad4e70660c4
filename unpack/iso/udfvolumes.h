#pragma once

#include "unpack/iso/isoitem.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace orv::iso {

class ImageFile;

struct UdfPartition
{
    std::uint16_t number = 0;
    std::uint32_t start = 0;   // sector
    std::uint32_t length = 0;  // sectors
    int owner = -1;            // the logical volume that claimed it
};

struct UdfPartitionMap
{
    std::uint16_t volumeSequence = 0;
    std::uint16_t partitionNumber = 0;
    int partition = -1;  // index into the partition table
};

struct UdfLogicalVolume
{
    QByteArray identifier;
    std::uint32_t blockSize = 0;
    UdfExtent fileSet;
    std::vector<UdfPartitionMap> maps;  // indexed by partition reference
    std::vector<UdfExtent> roots;
};

// The volume structure of a UDF image: sector size, partitions and logical volumes, and the one rule that
// turns a (volume, partition reference, logical block) address into a position in the image.
class UdfVolumes
{
public:
    static constexpr std::uint32_t kAnchorSector = 256;

    // An anchor with a valid tag at sector 256 for this sector size.
    static bool IsUDFSectorSize(const ImageFile &image, std::uint32_t size);

    // Finds the sector size, reads the main volume descriptor sequence and binds every partition map to
    // its partition. False when there is no anchor, a map is not of type 1, names no partition or names
    // one another map already claimed.
    bool OpenUDF(const ImageFile &image);
    void RemoveUDFAllItems();

    std::uint32_t sectorSize() const { return m_sectorSize; }
    const std::vector<UdfLogicalVolume> &volumes() const { return m_volumes; }
    const std::vector<UdfPartition> &partitions() const { return m_partitions; }
    void addRoot(int volume, const UdfExtent &root) { m_volumes.at(std::size_t(volume)).roots.push_back(root); }
    std::uint32_t blockSize(int volume) const;
    // Where the last partition ends, in bytes from the start of the image.
    std::uint64_t partitionsEnd() const;

    // The image position of count bytes at a logical block; no value when the address names no bound
    // partition or the bytes reach beyond the partition.
    std::optional<std::uint64_t> position(int volume, std::uint16_t partitionReference, std::uint32_t block,
                                          std::uint64_t count) const;
    // The bytes themselves; no value outside the partition or when the image ends first.
    std::optional<QByteArray> ReadExtent(const ImageFile &image, int volume, std::uint16_t partitionReference,
                                         std::uint32_t block, std::uint32_t count) const;

private:
    void readSequence(const ImageFile &image, std::uint64_t location, std::uint64_t sectors, bool &refused);
    bool bindMaps();

    std::uint32_t m_sectorSize = 0;
    std::vector<UdfPartition> m_partitions;
    std::vector<UdfLogicalVolume> m_volumes;
};

}  // namespace orv::iso
