#include "zipcatalog.h"

#include "unpack/common/records.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "zip/zipnames.h"

#include <algorithm>

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

namespace {

// The item without the texts that a listing rarely needs: the characteristics tell the UTF-8 flag, which
// changes nothing for an ASCII name, and the data descriptor, which matters only for encrypted entries.
sz::ItemInfo listedItem(const sz::SevenZipArchive &archive, std::uint32_t index, ZipCatalog::Methods methods)
{
    if (methods == ZipCatalog::Methods::Now)
        return archive.item(index);
    sz::ItemInfo item = archive.item(index, sz::SevenZipArchive::ItemTexts::Without);
    const bool ascii = std::all_of(item.path.cbegin(), item.path.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (item.encrypted || !ascii)
        item.characteristics = archive.itemText(index, sz::pid::characts);
    if (item.encrypted)
        item.method = archive.itemText(index, sz::pid::method);
    return item;
}

}  // namespace

void ZipCatalog::build(const sz::SevenZipArchive &archive, std::int64_t impliedFolderTime, Methods methods)
{
    clear();
    const bool utf8Locale = localeIsUtf8();
    for (std::uint32_t i = 0; i < archive.itemCount(); ++i) {
        const sz::ItemInfo item = listedItem(archive, i, methods);
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
        if (methods == Methods::Now || item.encrypted)
            facts.method = item.method;
        facts.encrypted = item.encrypted;
        facts.zipCryptoWithDescriptor = item.isZipCryptoWithDescriptor();
        m_facts.push_back(std::move(facts));
    }
    m_entries.addImpliedFolders(impliedFolderTime);
}

QString ZipCatalog::method(const ZipFacts &facts, const sz::SevenZipArchive &archive) const
{
    return facts.method ? *facts.method : archive.itemText(facts.index, sz::pid::method);
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
