#include "isounpacker.h"

#include "unpack/common/damage.h"
#include "unpack/common/outputinfo.h"
#include "unpack/iso/udfscanner.h"

#include <ctime>

namespace orv {

CIsoUnpacker::CIsoUnpacker() = default;

CIsoUnpacker::~CIsoUnpacker() = default;

void CIsoUnpacker::CheckIsoImage(const QString &path)
{
    m_isoFound = false;
    m_udfFound = false;
    iso::ImageFile image;
    if (!image.open(path))
        return;
    const iso::Recognition found = iso::CheckIsoImage(image);
    m_isoFound = found.iso9660;
    m_udfFound = found.udf;
}

bool CIsoUnpacker::OpenArchive(const QString &path)
{
    CloseArchive();
    RemoveAllItems();
    if (path.isEmpty())
        return false;
    CheckIsoImage(path);
    if ((!m_udfFound && !m_isoFound) || !m_image.open(path))
        return false;
    const bool opened = m_udfFound ? openUdf() : openIso9660();
    if (!opened) {
        CloseArchive();
        RemoveAllItems();
        return false;
    }
    noteDamage();
    m_context.resetYesToAll();
    return true;
}

// An image shorter than the volume it records was cut short: folders and file data past its end are lost,
// though the folders read before may list them.
void CIsoUnpacker::noteDamage()
{
    const std::uint64_t recordedEnd = m_udfFound ? m_udf.partitionsEnd()
                                                 : std::uint64_t(m_iso9660.spaceBlocks) * m_iso9660.blockSize;
    if (recordedEnd > m_image.size())
        m_damage = damagedArchiveText(QStringLiteral("unexpected end of data"));
}

bool CIsoUnpacker::openUdf()
{
    RemoveUDFAllItems();
    if (!m_udf.OpenUDF(m_image))
        return false;
    return iso::UdfScanner(m_image, m_udf, m_items, std::time(nullptr)).InitScanUDF();
}

bool CIsoUnpacker::openIso9660()
{
    const std::optional<iso::Iso9660Volume> volume = iso::OpenISO9660(m_image);
    if (!volume)
        return false;
    m_iso9660 = *volume;
    iso::Iso9660Scanner(m_image, m_iso9660, m_items, std::time(nullptr)).scanRoot();
    return true;
}

bool CIsoUnpacker::CloseArchive()
{
    m_image.close();
    m_damage.clear();
    return true;
}

void CIsoUnpacker::RemoveAllItems()
{
    m_items.clear();
    m_next = 0;
    m_current.reset();
}

bool CIsoUnpacker::FindFile()
{
    m_next = 0;
    m_current.reset();
    return !m_items.empty();
}

bool CIsoUnpacker::FindNextFileW()
{
    if (m_next >= m_items.size())
        return false;
    m_current = m_next++;
    return m_next < m_items.size();
}

bool CIsoUnpacker::GetFileShortInfo(ISOFILESHORTINFO &record) const
{
    if (!m_current)
        return false;
    const iso::CIsoItemInfo &item = m_items[*m_current];
    record = {};
    fillNames(record, item.path);
    record.bFolder = item.directory ? 1 : 0;
    record.bSubFolder = item.path.contains(QLatin1Char('/')) ? 1 : 0;
    return true;
}

bool CIsoUnpacker::GetFileFullInfo(ISOFILEFULLINFO &record) const
{
    if (!m_current)
        return false;
    const iso::CIsoItemInfo &item = m_items[*m_current];
    record = {};
    GetFileShortInfo(record);
    if (m_udfFound) {
        record.nSize = item.informationLength;
        record.nPackSize = itemPacked(item);
        record.tAccessed = item.accessed;
    } else {
        record.dwExtent = item.extent;
        record.dwDataLength = item.dataLength;
    }
    record.tModified = item.modified;
    record.bHidden = item.hidden ? 1 : 0;
    return true;
}

SpellingLookup CIsoUnpacker::lookup(const QString &path) const
{
    SpellingLookup lookup(normaliseEntryPath(path));
    for (const iso::CIsoItemInfo &item : m_items)
        lookup.offer(item.path, item.directory);
    return lookup;
}

std::optional<std::size_t> CIsoUnpacker::find(const QString &path) const
{
    const std::optional<QString> wanted = lookup(path).spelling();
    for (std::size_t i = 0; wanted && i < m_items.size(); ++i) {
        if (m_items[i].path == *wanted)
            return i;
    }
    return std::nullopt;
}

bool CIsoUnpacker::LocateFile(const QString &path)
{
    const std::optional<std::size_t> index = find(path);
    if (index)
        m_current = index;
    return index.has_value();
}

bool CIsoUnpacker::IsFolder(const QString &path) const
{
    const std::optional<std::size_t> index = find(path);
    return index && m_items[*index].directory;
}

std::uint64_t CIsoUnpacker::itemSize(const iso::CIsoItemInfo &item) const
{
    return m_udfFound ? item.informationLength : item.dataLength;
}

std::uint64_t CIsoUnpacker::itemPacked(const iso::CIsoItemInfo &item) const
{
    if (!m_udfFound)
        return item.dataLength;
    return item.blocksRecorded != 0 ? item.blocksRecorded * m_udf.sectorSize() : item.informationLength;
}

QString CIsoUnpacker::fileText(const iso::CIsoItemInfo &item) const
{
    if (m_udfFound)
        return udfFileText(item.modified, item.accessed, itemSize(item), itemPacked(item));
    return isoFileText(item.modified, itemSize(item), itemPacked(item));
}

QString CIsoUnpacker::GetFileOutputInfo(const QString &path) const
{
    const std::optional<std::size_t> index = find(path);
    return index ? fileText(m_items[*index]) : QString();
}

QString CIsoUnpacker::GetFolderOutputInfo(const QString &path) const
{
    const std::optional<QString> folder = lookup(path).folder();
    ArchiveTotals totals;
    if (!folder)
        return totalsText(totals);
    for (const iso::CIsoItemInfo &item : m_items) {
        const std::optional<QString> relative = pathBelowFolder(item.path, *folder);
        if (!relative)
            continue;
        if (item.directory)
            totals.addFolder(*relative);
        else
            totals.addFile(itemSize(item), itemPacked(item));
    }
    return totalsText(totals);
}

QString CIsoUnpacker::GetArchiveOutputInfo() const
{
    return GetFolderOutputInfo(QString());
}

}  // namespace orv
