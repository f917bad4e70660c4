#include "udfscanner.h"

#include "unpack/iso/imagefile.h"
#include "unpack/iso/udfvolumes.h"

#include <algorithm>

namespace orv::iso {

namespace {

// A File Set Descriptor shorter than this cannot hold the root ICB.
constexpr std::uint32_t kMinimumFileSet = 512;

std::uint64_t directoryKey(int volume, const UdfExtent &icb)
{
    return std::uint64_t(std::uint16_t(volume)) << 48 | std::uint64_t(icb.partition) << 32 | icb.block;
}

}  // namespace

UdfScanner::UdfScanner(const ImageFile &image, UdfVolumes &volumes, std::vector<CIsoItemInfo> &items,
                       std::int64_t scanTime)
    : m_image(image), m_volumes(volumes), m_items(items), m_scanTime(scanTime), m_guard(image.size())
{
}

bool UdfScanner::InitScanUDF()
{
    const int count = int(m_volumes.volumes().size());
    if (count == 0)
        return false;
    for (int volume = 0; volume < count; ++volume) {
        const std::size_t before = m_items.size();
        if (!scanVolume(volume)) {
            m_items.resize(before);
            return volume > 0;
        }
    }
    return true;
}

bool UdfScanner::scanVolume(int volume)
{
    const UdfExtent fileSet = m_volumes.volumes().at(std::size_t(volume)).fileSet;
    const std::uint32_t length = std::min(fileSet.length, m_volumes.blockSize(volume));
    if (length < kMinimumFileSet)
        return false;
    const std::optional<QByteArray> bytes = m_volumes.ReadExtent(m_image, volume, fileSet.partition, fileSet.block, length);
    const std::optional<UdfExtent> root = bytes ? udf::parseFileSet(ByteView(*bytes)) : std::nullopt;
    if (!root)
        return false;
    m_volumes.addRoot(volume, *root);
    return scanRoot(volume, *root);
}

bool UdfScanner::scanRoot(int volume, const UdfExtent &root)
{
    const std::optional<udf::FileEntry> entry = readEntry(volume, root);
    if (!entry || entry->type == udf::FileType::Other)
        return false;
    if (entry->type == udf::FileType::File || !m_guard.firstVisit(directoryKey(volume, root)))
        return true;
    const std::optional<QByteArray> data = directoryData(volume, *entry, root.partition);
    return data && walkDirectory(ByteView(*data), QString(), volume, 0);
}

std::optional<udf::FileEntry> UdfScanner::readEntry(int volume, const UdfExtent &icb)
{
    // A file entry fills at most one logical block, whatever length the pointer to it claims.
    const std::uint32_t length = std::min(icb.length, m_volumes.blockSize(volume));
    const std::optional<QByteArray> bytes = m_volumes.ReadExtent(m_image, volume, icb.partition, icb.block, length);
    if (!bytes)
        return std::nullopt;
    return udf::parseFileEntry(ByteView(*bytes), m_scanTime);
}

std::optional<QByteArray> UdfScanner::directoryData(int volume, const udf::FileEntry &entry, std::uint16_t partition)
{
    if (entry.allocation == udf::AllocationType::Embedded)
        return entry.allocationArea;
    const std::optional<std::vector<UdfExtent>> extents = udf::allocationExtents(entry, partition);
    if (!extents)
        return std::nullopt;
    QByteArray data;
    for (const UdfExtent &extent : *extents) {
        const std::uint64_t wanted = entry.informationLength - std::uint64_t(data.size());
        if (wanted == 0)
            break;
        if (!appendExtent(data, volume, extent, wanted))
            return std::nullopt;
    }
    return data;
}

bool UdfScanner::appendExtent(QByteArray &data, int volume, const UdfExtent &extent, std::uint64_t wanted)
{
    // Reads beyond what the information length needs are cut; all directory reads together stay within
    // the size of the image, so a damaged length cannot make the reader allocate more.
    const std::uint32_t length = std::uint32_t(std::min<std::uint64_t>(extent.length, wanted));
    if (!m_guard.spend(length))
        return false;
    if (!extent.recorded) {
        data.append(qsizetype(length), '\0');
        return true;
    }
    const std::optional<QByteArray> bytes = m_volumes.ReadExtent(m_image, volume, extent.partition, extent.block, length);
    if (!bytes)
        return false;
    data.append(*bytes);
    return true;
}

bool UdfScanner::walkDirectory(ByteView data, const QString &path, int volume, int depth)
{
    udf::FileIdentifier fid;
    for (std::size_t offset = 0; offset < data.size(); offset += fid.length) {
        switch (udf::parseFileIdentifier(data, offset, fid)) {
        case udf::FidResult::Damaged:
            return false;
        case udf::FidResult::Skip:
            continue;
        case udf::FidResult::Valid:
            break;
        }
        const Place place{componentName(udf::GetDString(fid.name)), path, fid.hidden, volume};
        const std::optional<udf::FileEntry> entry = readEntry(volume, fid.icb);
        if (!entry)
            return false;
        // Short allocation descriptors lie in the partition of the entry that holds them.
        const bool ok = entry->type == udf::FileType::Directory ? ReadDirUDF(place, *entry, fid.icb, depth + 1)
                        : entry->type == udf::FileType::File    ? ReadInfoFileUDF(place, *entry, fid.icb.partition)
                                                                : true;  // links, devices: nothing to list
        if (!ok)
            return false;
    }
    return true;
}

CIsoItemInfo UdfScanner::makeItem(const Place &place, const udf::FileEntry &entry, bool directory) const
{
    CIsoItemInfo item;
    item.name = place.name;
    item.path = childPath(place.parent, place.name);
    item.directory = directory;
    item.hidden = place.hidden;
    item.modified = entry.modified;
    item.accessed = entry.accessed;
    item.informationLength = entry.informationLength;
    item.blocksRecorded = entry.blocksRecorded;
    item.volume = place.volume;
    return item;
}

bool UdfScanner::ReadDirUDF(const Place &place, const udf::FileEntry &entry, const UdfExtent &icb, int depth)
{
    m_items.push_back(makeItem(place, entry, true));
    // A directory met again (a loop in a damaged image) or nested too deep is listed but not entered.
    if (depth > ScanGuard::kMaxDepth || !m_guard.firstVisit(directoryKey(place.volume, icb)))
        return true;
    const QString path = m_items.back().path;
    const std::optional<QByteArray> data = directoryData(place.volume, entry, icb.partition);
    return data && walkDirectory(ByteView(*data), path, place.volume, depth);
}

bool UdfScanner::ReadInfoFileUDF(const Place &place, const udf::FileEntry &entry, std::uint16_t partition)
{
    CIsoItemInfo item = makeItem(place, entry, false);
    if (entry.allocation == udf::AllocationType::Embedded) {
        item.embedded = entry.allocationArea;
        item.isEmbedded = true;
    } else {
        std::optional<std::vector<UdfExtent>> extents = udf::allocationExtents(entry, partition);
        if (!extents)
            return false;
        item.extents = std::move(*extents);
    }
    m_items.push_back(std::move(item));
    return true;
}

}  // namespace orv::iso
