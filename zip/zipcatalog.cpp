#include "zipcatalog.h"

#include "unpack/common/records.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "zip/zipnames.h"

namespace orv::zip {

namespace {

constexpr std::uint32_t attrUnixExtension = 0x8000;

bool hasUtf8Flag(const sz::ItemInfo &item)
{
    return item.characteristics.split(QLatin1Char(' '), Qt::SkipEmptyParts).contains(QStringLiteral("UTF8"));
}

std::uint32_t unixMode(const sz::ItemInfo &item)
{
    const std::uint32_t attributes = item.attrib.value_or(0);
    if ((attributes & attrUnixExtension) != 0)
        return attributes >> 16;
    return item.isDir ? 040755 : 0100644;
}

}  // namespace

QString displayPath(const sz::ItemInfo &item, bool utf8Locale)
{
    if (hasUtf8Flag(item))
        return normaliseEntryPath(item.path);
    return normaliseEntryPath(nameWithoutUtf8Flag(item.path, utf8Locale));
}

void ZipCatalog::clear()
{
    m_entries.clear();
    m_facts.clear();
}

void ZipCatalog::build(const sz::SevenZipArchive &archive, std::int64_t impliedFolderTime)
{
    clear();
    const bool utf8Locale = localeIsUtf8();
    for (std::uint32_t i = 0; i < archive.itemCount(); ++i) {
        const sz::ItemInfo item = archive.item(i);
        ArchiveEntry entry;
        entry.path = displayPath(item, utf8Locale);
        // "." and "/" name nothing to list or write, as in a tar.
        if (entry.path.isEmpty())
            continue;
        entry.storedPath = item.path;
        entry.type = item.isDir ? ArchiveEntry::Type::Folder : ArchiveEntry::Type::File;
        entry.size = item.size.value_or(0);
        entry.packed = item.packSize.value_or(0);
        entry.modified = item.mTime.value_or(0);
        entry.mode = unixMode(item);
        entry.stream = static_cast<int>(i);
        m_entries.add(std::move(entry));

        ZipFacts facts;
        facts.index = i;
        facts.crc = item.crc;
        facts.attributes = item.attrib;
        facts.hasTime = item.mTime.has_value();
        facts.method = item.method;
        facts.encrypted = item.encrypted;
        facts.zipCryptoWithDescriptor = item.isZipCryptoWithDescriptor();
        m_facts.push_back(std::move(facts));
    }
    m_entries.addImpliedFolders(impliedFolderTime);
}

const ZipFacts *ZipCatalog::facts(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_facts.size())
        return nullptr;
    return &m_facts[static_cast<std::size_t>(index)];
}

std::optional<int> ZipCatalog::findFile(const QString &path) const
{
    const std::optional<int> index = m_entries.find(normaliseEntryPath(path));
    if (!index || m_entries.at(*index).isFolder())
        return std::nullopt;
    return index;
}

std::optional<int> ZipCatalog::findExactFile(const QString &path) const
{
    const std::optional<int> index = m_entries.findExact(normaliseEntryPath(path));
    if (!index || m_entries.at(*index).isFolder())
        return std::nullopt;
    return index;
}

bool ZipCatalog::hasExactFolder(const QString &path) const
{
    return m_entries.findExactFolder(normaliseEntryPath(path)).has_value();
}

}  // namespace orv::zip
