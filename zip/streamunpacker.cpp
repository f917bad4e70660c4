#include "streamunpacker.h"

#include "platform/numbers.h"
#include "unpack/common/entrylookup.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/outputinfo.h"
#include "zip/extraction.h"

namespace orv::zip {

namespace {

// Only the one item of a compressed file has a packed size of its own.
QString compressedTotalsText(const ArchiveTotals &totals, std::uint64_t packed)
{
    return QStringLiteral("Files - %1, Folders - %2, Size - %3 bytes, Packed - %4 bytes, Ratio - %5%")
        .arg(formatNumber64(totals.files()), formatNumber64(totals.folders()), formatNumber64(totals.size()),
             formatNumber64(packed))
        .arg(ratioPercent(packed, totals.size()));
}

void count(ArchiveTotals &totals, const ArchiveEntry &entry, const QString &relativePath)
{
    if (entry.isFolder())
        totals.addFolder(relativePath);
    else
        totals.addFile(entry.size, entry.packed);
}

}  // namespace

std::uint32_t StreamUnpacker::dosDateTime(std::int64_t seconds) const
{
    if (!m_lastDosTime || m_lastDosTime->first != seconds)
        m_lastDosTime = std::make_pair(seconds, secondsToDosDateTime(seconds));
    return m_lastDosTime->second;
}

bool StreamUnpacker::open(const QString &path)
{
    close();
    m_context.resetYesToAll();
    m_error.clear();
    if (!listArchive(path, m_compression, m_listing)) {
        m_error = m_listing.error;
        m_listing = Listing{};
        return false;
    }
    m_path = path;
    m_open = true;
    return true;
}

bool StreamUnpacker::close()
{
    m_listing = Listing{};
    m_path.clear();
    m_open = false;
    m_current = -1;
    m_next = 0;
    return true;
}

StreamResult StreamUnpacker::streamEntries(const QString &path, bool underStreamItem,
                                           const StreamedItemVisitor &visit)
{
    close();
    return streamArchive(path, m_compression, underStreamItem, visit, m_error);
}

bool StreamUnpacker::findFile()
{
    m_current = -1;
    m_next = 0;
    return m_open && m_listing.entries.size() > 0;
}

bool StreamUnpacker::findNextFile()
{
    const int count = m_open ? m_listing.entries.size() : 0;
    if (m_next >= count)
        return false;
    m_current = m_next++;
    return m_next < count;
}

bool StreamUnpacker::shortInfo(FILESHORTINFO &record) const
{
    if (!m_open || m_current < 0)
        return false;
    fillShortInfo(record, m_listing.entries.at(m_current));
    return true;
}

bool StreamUnpacker::fullInfo(TARFILEFULLINFO &record) const
{
    if (!shortInfo(record))
        return false;
    const ArchiveEntry &entry = m_listing.entries.at(m_current);
    record.strLinkTarget = entry.linkTarget;
    record.nSize = entry.size;
    record.nPackSize = entry.packed;
    record.tModified = entry.modified;
    record.dwDosDateTime = dosDateTime(entry.modified);
    record.dwMode = entry.mode;
    return true;
}

QString StreamUnpacker::innerPath(const QString &path) const
{
    const QString normalised = normaliseEntryPath(path);
    if (!m_listing.tarInside || m_listing.entries.findExact(normalised))
        return normalised;
    const QString &tarName = m_listing.entries.at(0).path;
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        const std::optional<QStringView> spelt = spellingWithin(normalised, tarName, sensitivity);
        if (spelt && spelt->size() < normalised.size())
            return normalised.mid(spelt->size() + 1);
    }
    return normalised;
}

std::optional<int> StreamUnpacker::locateFile(const QString &path) const
{
    if (!m_open)
        return std::nullopt;
    const std::optional<int> index = m_listing.entries.find(innerPath(path));
    if (!index || m_listing.entries.at(*index).isFolder())
        return std::nullopt;
    return index;
}

bool StreamUnpacker::isFolder(const QString &path) const
{
    return m_open && m_listing.entries.findFolder(innerPath(path)).has_value();
}

QString StreamUnpacker::fileOutputInfo(const QString &path) const
{
    const std::optional<int> index = locateFile(path);
    if (!index)
        return {};
    const ArchiveEntry &entry = m_listing.entries.at(*index);
    if (m_compression != Compression::None && *index == 0)
        return isoFileText(entry.modified, entry.size, entry.packed);
    QString text = cabFileText(entry.modified, entry.size);
    if (!entry.linkTarget.isEmpty())
        text += QStringLiteral(", Link to - %1").arg(entry.linkTarget);
    return text;
}

QString StreamUnpacker::folderOutputInfo(const QString &path) const
{
    ArchiveTotals totals;
    if (!m_open)
        return totalsTextWithoutPacked(totals);
    const QString folder = m_listing.entries.folderSpelling(innerPath(path));
    for (int i = firstContentIndex(); i < m_listing.entries.size(); ++i) {
        const ArchiveEntry &entry = m_listing.entries.at(i);
        if (const std::optional<QString> relative = pathBelowFolder(entry.path, folder))
            count(totals, entry, *relative);
    }
    return totalsTextWithoutPacked(totals);
}

QString StreamUnpacker::archiveOutputInfo() const
{
    ArchiveTotals totals;
    if (!m_open)
        return totalsTextWithoutPacked(totals);
    for (int i = firstContentIndex(); i < m_listing.entries.size(); ++i)
        count(totals, m_listing.entries.at(i), m_listing.entries.at(i).path);
    if (m_compression == Compression::None)
        return totalsTextWithoutPacked(totals);
    return compressedTotalsText(totals, m_listing.compressedSize);
}

bool StreamUnpacker::runExtraction(std::vector<ExtractionTarget> targets, const QString &targetFolder,
                                   bool rawStream)
{
    ExtractionPass pass(m_context, m_listing, m_path, m_compression);
    if (pass.run(targets, targetFolder, rawStream))
        return true;
    m_error = !pass.error().isEmpty()      ? pass.error()
              : m_context.isCancelled()   ? QStringLiteral("The unpack was cancelled.")
                                          : QStringLiteral("Some items could not be unpacked.");
    return false;
}

bool StreamUnpacker::unpackFile(const QString &path, const QString &targetFolder)
{
    m_context.beginOperation();
    const std::optional<int> index = locateFile(path);
    if (!index)
        return fail(QStringLiteral("The archive holds no file %1.").arg(path));
    const QString &itemPath = m_listing.entries.at(*index).path;
    const bool withoutPaths = m_context.ini().bUnpackFilesWithoutPaths != 0;
    return runExtraction({{*index, ExtractPaths::forFile(itemPath, withoutPaths)}}, targetFolder, readsRawStream(*index));
}

bool StreamUnpacker::unpackCurrentFile(const QString &name, const QString &targetFolder)
{
    m_context.beginOperation();
    if (!m_open || m_current < 0 || m_listing.entries.at(m_current).isFolder())
        return fail(QStringLiteral("No file is current."));
    return runExtraction({{m_current, name}}, targetFolder, readsRawStream(m_current));
}

bool StreamUnpacker::unpackFolder(const QString &path, const QString &targetFolder)
{
    m_context.beginOperation();
    const std::optional<int> index = m_open ? m_listing.entries.findFolder(innerPath(path)) : std::nullopt;
    if (!index)
        return fail(QStringLiteral("The archive holds no folder %1.").arg(path));
    const QString folder = m_listing.entries.at(*index).path;
    const bool withoutPaths = m_context.ini().bUnpackFoldersWithoutPaths != 0;
    std::vector<ExtractionTarget> targets;
    for (int i = firstContentIndex(); i < m_listing.entries.size(); ++i) {
        const QString &itemPath = m_listing.entries.at(i).path;
        if (itemPath == folder || pathBelowFolder(itemPath, folder))
            targets.push_back({i, ExtractPaths::forFolderItem(itemPath, folder, withoutPaths)});
    }
    return runExtraction(std::move(targets), targetFolder, false);
}

bool StreamUnpacker::unpackArchive(const QString &targetFolder)
{
    m_context.beginOperation();
    if (!m_open)
        return fail(QStringLiteral("No archive is open."));
    const bool withoutPaths = m_context.ini().bUnpackArchivesWithoutPaths != 0;
    std::vector<ExtractionTarget> targets;
    for (int i = firstContentIndex(); i < m_listing.entries.size(); ++i) {
        const ArchiveEntry &entry = m_listing.entries.at(i);
        if (withoutPaths && entry.isFolder())
            continue;
        targets.push_back({i, ExtractPaths::forArchiveItem(entry.path, withoutPaths)});
    }
    const bool single = m_compression != Compression::None && !m_listing.tarInside;
    if (!m_context.createFolder(targetFolder))
        return fail(QStringLiteral("The folder %1 cannot be created.").arg(targetFolder));
    return runExtraction(std::move(targets), targetFolder, single);
}

}  // namespace orv::zip
