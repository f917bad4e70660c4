#include "outputinfo.h"

#include "platform/numbers.h"

namespace orv {

namespace {

QString sizeAndPacked(std::uint64_t size, std::uint64_t packed)
{
    return QStringLiteral("Size - %1 bytes, Packed - %2 bytes, Ratio - %3%")
        .arg(formatNumber64(size), formatNumber64(packed))
        .arg(ratioPercent(packed, size));
}

QString crcText(std::uint32_t crc)
{
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0'));
}

QString counts(const ArchiveTotals &totals)
{
    return QStringLiteral("Files - %1, Folders - %2, ").arg(formatNumber64(totals.files()),
                                                              formatNumber64(totals.folders()));
}

}  // namespace

void ArchiveTotals::addFile(std::uint64_t size, std::uint64_t packed)
{
    ++m_files;
    m_size += size;
    m_packed += packed;
}

void ArchiveTotals::addParentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash > 0)
        m_folders.add(path.left(slash));
}

std::optional<QString> pathBelowFolder(const QString &itemPath, const QString &folder)
{
    if (folder.isEmpty())
        return itemPath.isEmpty() ? std::nullopt : std::optional<QString>(itemPath);
    const qsizetype prefix = folder.size() + 1;
    if (itemPath.size() <= prefix || itemPath.at(folder.size()) != QLatin1Char('/') || !itemPath.startsWith(folder))
        return std::nullopt;
    return itemPath.mid(prefix);
}

QString totalsText(const ArchiveTotals &totals)
{
    return counts(totals) + sizeAndPacked(totals.size(), totals.packed());
}

QString totalsTextWithoutPacked(const ArchiveTotals &totals)
{
    return counts(totals) + QStringLiteral("Size - %1 bytes").arg(formatNumber64(totals.size()));
}

std::int64_t dosRecordSeconds(std::uint32_t dosDateTime)
{
    std::int64_t seconds = 0;
    if (dosDateTime == 0 || !dosDateTimeToSeconds(dosDateTime, seconds))
        return 0;
    return seconds;
}

QString sevenZipFileText(std::int64_t modified, std::uint64_t size, std::uint64_t packed, std::uint32_t crc)
{
    return QStringLiteral("Modified - %1, ").arg(localTimeText(modified)) + sizeAndPacked(size, packed)
           + QStringLiteral(", CRC - ") + crcText(crc);
}

QString rarFileText(std::int64_t modified, std::uint64_t size, std::uint64_t packed, std::uint32_t crc,
                    std::uint32_t versionToExtract)
{
    return sevenZipFileText(modified, size, packed, crc)
           + QStringLiteral(", Version to extract - %1.%2").arg(versionToExtract / 10).arg(versionToExtract % 10);
}

QString cabFileText(std::int64_t modified, std::uint64_t size)
{
    return QStringLiteral("Modified - %1, Size - %2 bytes").arg(localTimeText(modified), formatNumber64(size));
}

QString isoFileText(std::int64_t modified, std::uint64_t size, std::uint64_t packed)
{
    return QStringLiteral("Modified - %1, ").arg(localTimeText(modified)) + sizeAndPacked(size, packed);
}

QString udfFileText(std::int64_t modified, std::int64_t accessed, std::uint64_t size, std::uint64_t packed)
{
    return QStringLiteral("Modified - %1, Accessed - %2, ").arg(localTimeText(modified), localTimeText(accessed))
           + sizeAndPacked(size, packed);
}

}  // namespace orv
