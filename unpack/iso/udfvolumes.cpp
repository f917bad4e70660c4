#include "udfvolumes.h"

#include "unpack/common/byteview.h"
#include "unpack/iso/imagefile.h"
#include "unpack/iso/udfdescriptors.h"

#include <algorithm>

namespace orv::iso {

namespace {

// The order in which sector sizes are tried: the common ones first.
constexpr std::uint32_t kSectorSizes[] = {2048, 512, 256, 4096, 1024};

bool isSaneBlockSize(std::uint32_t size)
{
    return size >= 256 && size <= 65536 && (size & (size - 1)) == 0;
}

}  // namespace

bool UdfVolumes::IsUDFSectorSize(const ImageFile &image, std::uint32_t size)
{
    const std::uint64_t anchor = std::uint64_t(kAnchorSector) * size;
    if (image.size() < anchor + size)
        return false;
    const QByteArray tag = image.read(anchor, udf::kTagSize);
    return udf::UDFCheckTag(ByteView(tag), udf::TagId::AnchorPointer);
}

void UdfVolumes::RemoveUDFAllItems()
{
    m_sectorSize = 0;
    m_partitions.clear();
    m_volumes.clear();
}

bool UdfVolumes::OpenUDF(const ImageFile &image)
{
    RemoveUDFAllItems();
    for (const std::uint32_t size : kSectorSizes) {
        if (IsUDFSectorSize(image, size)) {
            m_sectorSize = size;
            break;
        }
    }
    if (m_sectorSize == 0)
        return false;
    const QByteArray anchorBytes = image.read(std::uint64_t(kAnchorSector) * m_sectorSize, m_sectorSize);
    const std::optional<udf::AnchorPointer> anchor = udf::parseAnchor(ByteView(anchorBytes));
    if (!anchor)
        return false;
    bool refused = false;
    readSequence(image, anchor->sequenceLocation, anchor->sequenceLength / m_sectorSize, refused);
    return !refused && bindMaps();
}

void UdfVolumes::readSequence(const ImageFile &image, std::uint64_t location, std::uint64_t sectors, bool &refused)
{
    // One read for the whole sequence; it ends at the end of the image whatever length the anchor claims.
    const QByteArray bytes = image.read(location * m_sectorSize, sectors * m_sectorSize);
    const ByteView sequence(bytes);
    for (std::size_t offset = 0; sequence.has(offset, m_sectorSize); offset += m_sectorSize) {
        const ByteView sector = sequence.sub(offset, m_sectorSize);
        if (udf::UDFCheckTag(sector, udf::TagId::Terminating))
            return;
        if (const std::optional<udf::PartitionDescriptor> pd = udf::parsePartition(sector)) {
            m_partitions.push_back({pd->number, pd->start, pd->length, -1});
            continue;
        }
        udf::LogicalVolumeDescriptor lvd;
        switch (udf::parseLogicalVolume(sector, lvd)) {
        case udf::LvdResult::Refused:
            refused = true;
            return;
        case udf::LvdResult::NotThisDescriptor:
            break;
        case udf::LvdResult::Valid: {
            UdfLogicalVolume volume{lvd.identifier, lvd.blockSize, lvd.fileSet, {}, {}};
            for (const udf::PartitionMap &map : lvd.maps)
                volume.maps.push_back({map.volumeSequence, map.partitionNumber, -1});
            m_volumes.push_back(std::move(volume));
            break;
        }
        }
    }
}

bool UdfVolumes::bindMaps()
{
    for (std::size_t v = 0; v < m_volumes.size(); ++v) {
        UdfLogicalVolume &volume = m_volumes[v];
        if (!isSaneBlockSize(volume.blockSize))
            return false;
        for (UdfPartitionMap &map : volume.maps) {
            auto found = std::find_if(m_partitions.begin(), m_partitions.end(),
                                      [&](const UdfPartition &p) { return p.number == map.partitionNumber; });
            if (found == m_partitions.end() || found->owner >= 0)
                return false;
            found->owner = int(v);
            map.partition = int(found - m_partitions.begin());
        }
    }
    return true;
}

std::uint64_t UdfVolumes::partitionsEnd() const
{
    std::uint64_t end = 0;
    for (const UdfPartition &partition : m_partitions)
        end = std::max(end, (std::uint64_t(partition.start) + partition.length) * m_sectorSize);
    return end;
}

std::uint32_t UdfVolumes::blockSize(int volume) const
{
    return volume >= 0 && std::size_t(volume) < m_volumes.size() ? m_volumes[std::size_t(volume)].blockSize : 0;
}

std::optional<std::uint64_t> UdfVolumes::position(int volume, std::uint16_t partitionReference, std::uint32_t block,
                                                  std::uint64_t count) const
{
    if (volume < 0 || std::size_t(volume) >= m_volumes.size())
        return std::nullopt;
    const UdfLogicalVolume &lv = m_volumes[std::size_t(volume)];
    if (partitionReference >= lv.maps.size())
        return std::nullopt;
    const int index = lv.maps[partitionReference].partition;
    if (index < 0 || std::size_t(index) >= m_partitions.size())
        return std::nullopt;
    const UdfPartition &partition = m_partitions[std::size_t(index)];
    const std::uint64_t start = std::uint64_t(partition.start) * m_sectorSize;
    const std::uint64_t end = (std::uint64_t(partition.start) + partition.length) * m_sectorSize;
    const std::uint64_t offset = std::uint64_t(block) * lv.blockSize + start;
    if (offset > end || count > end - offset)
        return std::nullopt;
    return offset;
}

std::optional<QByteArray> UdfVolumes::ReadExtent(const ImageFile &image, int volume, std::uint16_t partitionReference,
                                                 std::uint32_t block, std::uint32_t count) const
{
    const std::optional<std::uint64_t> offset = position(volume, partitionReference, block, count);
    if (!offset)
        return std::nullopt;
    QByteArray bytes = image.read(*offset, count);
    if (std::uint64_t(bytes.size()) != count)
        return std::nullopt;
    return bytes;
}

}  // namespace orv::iso
