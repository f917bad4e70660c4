#include "iso9660reader.h"

#include "unpack/common/entrynames.h"
#include "unpack/iso/imagefile.h"
#include "unpack/iso/isotime.h"

#include <QStringList>

#include <functional>

namespace orv::iso {

namespace {

// Volume descriptor fields (ECMA-119 8.4); of a both-endian field only the little-endian half is read.
namespace Pvd {
constexpr std::size_t Type = 0;
constexpr std::size_t StandardIdentifier = 1;
constexpr std::size_t Version = 6;
constexpr std::size_t VolumeSpaceSize = 80;
constexpr std::size_t LogicalBlockSize = 128;
constexpr std::size_t RootRecord = 156;
}  // namespace Pvd

// Directory record fields (ECMA-119 9.1).
namespace Rec {
constexpr std::size_t Length = 0;
constexpr std::size_t Extent = 2;
constexpr std::size_t DataLength = 10;
constexpr std::size_t Time = 18;  // years since 1900, month, day, hour, minute, second, zone
constexpr std::size_t Flags = 25;
constexpr std::size_t IdentifierLength = 32;
constexpr std::size_t Identifier = 33;
constexpr std::size_t MinimumLength = Identifier + 1;
}  // namespace Rec

constexpr std::uint64_t kSystemArea = 16 * std::uint64_t(kDescriptorBlock);
constexpr std::size_t kChunk = 32 * kDescriptorBlock;

// Hands every whole 2048-byte block from start on to visit until visit answers false or the file ends.
void forEachBlock(const ImageFile &image, std::uint64_t start, const std::function<bool(ByteView)> &visit)
{
    for (std::uint64_t offset = start;; offset += kChunk) {
        const QByteArray chunk = image.read(offset, kChunk);
        const ByteView view(chunk);
        for (std::size_t at = 0; view.has(at, kDescriptorBlock); at += kDescriptorBlock) {
            if (!visit(view.sub(at, kDescriptorBlock)))
                return;
        }
        if (view.size() < kChunk)
            return;
    }
}

bool isPowerOfTwoBlock(std::uint32_t size)
{
    return size >= 512 && size <= 65536 && (size & (size - 1)) == 0;
}

}  // namespace

QString GetStandardIdentifier(ByteView block)
{
    return QString::fromLatin1(block.sub(Pvd::StandardIdentifier, 5).toByteArray());
}

bool IsPrimaryVolumeDescriptor(ByteView block)
{
    return block.has(0, kDescriptorBlock) && block.u8(Pvd::Type) == 1 && block.u8(Pvd::Version) == 1
           && GetStandardIdentifier(block) == QLatin1String("CD001");
}

bool IsDirISO9660(std::uint8_t flags)
{
    return (flags & 0x02) != 0;
}

bool IsHiddenISO9660(std::uint8_t flags)
{
    return (flags & 0x01) != 0;
}

QString GetNameItemISO9660(ByteView record)
{
    QString name = decodeEntryName(record.sub(Rec::Identifier, record.u8(Rec::IdentifierLength)).toByteArray());
    const qsizetype semicolon = name.lastIndexOf(QLatin1Char(';'));
    if (semicolon >= 0 && semicolon == name.size() - 2 && name.endsWith(QLatin1Char('1'))) {
        name.truncate(semicolon);
        if (name.endsWith(QLatin1Char('.')))
            name.chop(1);
    }
    return name;
}

std::int64_t GetISO9660FileTime(ByteView record, std::int64_t scanTime)
{
    bool recorded = false;
    for (std::size_t i = 0; i < 6; ++i)
        recorded = recorded || record.u8(Rec::Time + i) != 0;
    if (!recorded)
        return scanTime;
    return calendarToSeconds({1900 + record.u8(Rec::Time), record.u8(Rec::Time + 1), record.u8(Rec::Time + 2),
                              record.u8(Rec::Time + 3), record.u8(Rec::Time + 4), record.u8(Rec::Time + 5)});
}

Recognition CheckIsoImage(const ImageFile &image)
{
    Recognition found;
    bool udfNoted = false;
    forEachBlock(image, kSystemArea, [&](ByteView block) {
        const QString id = GetStandardIdentifier(block);
        if (id == QLatin1String("NSR02") || id == QLatin1String("NSR03")) {
            udfNoted = true;
            return true;
        }
        static const QStringList known{QStringLiteral("BEA01"), QStringLiteral("BOOT2"), QStringLiteral("CD001"),
                                       QStringLiteral("CDW02"), QStringLiteral("TEA01")};
        return known.contains(id);
    });
    if (udfNoted) {
        found.udf = true;
        return found;
    }
    found.iso9660 = OpenISO9660(image).has_value();
    return found;
}

std::optional<Iso9660Volume> OpenISO9660(const ImageFile &image)
{
    std::optional<Iso9660Volume> volume;
    forEachBlock(image, 0, [&](ByteView block) {
        if (!IsPrimaryVolumeDescriptor(block))
            return true;
        const ByteView root = block.sub(Pvd::RootRecord, Rec::MinimumLength);
        volume = Iso9660Volume{block.le16(Pvd::LogicalBlockSize), root.le32(Rec::Extent), root.le32(Rec::DataLength),
                               block.le32(Pvd::VolumeSpaceSize)};
        return false;
    });
    if (volume && !isPowerOfTwoBlock(volume->blockSize))
        return std::nullopt;
    return volume;
}

Iso9660Scanner::Iso9660Scanner(const ImageFile &image, const Iso9660Volume &volume,
                               std::vector<CIsoItemInfo> &items, std::int64_t scanTime)
    : m_image(image), m_volume(volume), m_items(items), m_scanTime(scanTime), m_guard(image.size())
{
}

void Iso9660Scanner::scanRoot()
{
    InitScanISO9660(m_volume.rootExtent, m_volume.rootLength, QString());
}

ByteView Iso9660Scanner::recordAt(ByteView data, std::size_t offset)
{
    const std::size_t length = data.u8(offset + Rec::Length);
    if (length < Rec::MinimumLength || !data.has(offset, length))
        return {};
    const ByteView record = data.sub(offset, length);
    if (!record.has(Rec::Identifier, record.u8(Rec::IdentifierLength)))
        return {};
    return record;
}

std::optional<std::size_t> Iso9660Scanner::nextBlock(ByteView data, std::size_t offset) const
{
    // Records never straddle a logical block: a zero length byte pads the rest of the block, and the
    // directory goes on in the next one unless that starts with padding too.
    const std::size_t next = (offset / m_volume.blockSize + 1) * m_volume.blockSize;
    if (next >= data.size() || data.u8(next) == 0)
        return std::nullopt;
    return next;
}

void Iso9660Scanner::InitScanISO9660(std::uint32_t extent, std::uint32_t length, const QString &parent, int depth)
{
    if (depth > ScanGuard::kMaxDepth || !m_guard.firstVisit(extent))
        return;
    const QByteArray bytes = m_image.read(std::uint64_t(extent) * m_volume.blockSize, length);
    if (bytes.isEmpty() || !m_guard.spend(std::uint64_t(bytes.size())))
        return;
    const ByteView data(bytes);
    int index = 0;
    for (std::size_t offset = 0; offset < data.size();) {
        if (data.u8(offset) == 0) {
            const std::optional<std::size_t> next = nextBlock(data, offset);
            if (!next)
                break;
            offset = *next;
            continue;
        }
        const ByteView record = recordAt(data, offset);
        if (record.empty())
            break;  // damaged: the record does not fit in what was read
        if (index++ >= 2)  // the first two are the directory itself and its parent
            addItem(record, parent, depth);
        offset += record.size();
    }
}

void Iso9660Scanner::addItem(ByteView record, const QString &parent, int depth)
{
    CIsoItemInfo item;
    const std::uint8_t flags = record.u8(Rec::Flags);
    item.name = componentName(GetNameItemISO9660(record));
    item.path = childPath(parent, item.name);
    item.directory = IsDirISO9660(flags);
    item.hidden = IsHiddenISO9660(flags);
    item.extent = record.le32(Rec::Extent);
    item.dataLength = record.le32(Rec::DataLength);
    item.modified = GetISO9660FileTime(record, m_scanTime);
    const bool directory = item.directory;
    const std::uint32_t extent = item.extent;
    const std::uint32_t length = item.dataLength;
    const QString path = item.path;  // the list may move while the directory below is scanned
    m_items.push_back(std::move(item));
    if (directory)
        InitScanISO9660(extent, length, path, depth + 1);
}

}  // namespace orv::iso
