#include "listing.h"

#include "unpack/common/records.h"
#include "zip/gzipheader.h"

#include <QDateTime>
#include <QFileInfo>

#include <archive.h>

namespace orv::zip {

namespace {

QString notOfKind(Compression compression)
{
    switch (compression) {
    case Compression::GZip:
        return QStringLiteral("The file is not a GZip archive.");
    case Compression::BZip2:
        return QStringLiteral("The file is not a BZip2 archive.");
    case Compression::Xz:
        return QStringLiteral("The file is not an XZ archive.");
    case Compression::None:
        break;
    }
    return QStringLiteral("The file is not a Tar archive.");
}

ArchiveEntry entryOf(const StreamHeader &header, int stream)
{
    ArchiveEntry entry;
    entry.path = normaliseEntryPath(header.rawPath);
    entry.storedPath = header.rawPath;
    entry.linkTarget = header.linkTarget;
    entry.type = header.type;
    // A hard link that carries data of its own (pax allows it) is a file like any other.
    if (entry.type == ArchiveEntry::Type::HardLink && header.size > 0)
        entry.type = ArchiveEntry::Type::File;
    entry.size = entry.type == ArchiveEntry::Type::Folder ? 0 : header.size;
    entry.modified = header.modified;
    entry.mode = header.mode;
    entry.stream = stream;
    return entry;
}

// Keeps every item for the open.
class ListingCollector final : public ListingPass
{
public:
    explicit ListingCollector(Listing &listing) : m_listing(listing) {}

    void streamItem(ArchiveEntry item, bool tarInside) override
    {
        m_listing.tarInside = tarInside;
        m_listing.entries.add(std::move(item));
    }
    // Reads every header; the data in between is skipped (decompressed, for a compressed tar).
    bool tarItems(ArchiveReader &reader, bool packedIsSize, QString &error) override
    {
        StreamHeader header;
        for (int stream = 0;; ++stream) {
            switch (reader.next(header)) {
            case ArchiveReader::Step::End:
                return true;
            case ArchiveReader::Step::Failed:
                error = reader.errorText();
                return false;
            case ArchiveReader::Step::Ok:
                break;
            }
            if (m_listing.entries.size() >= MaxListedEntries) {
                error = tooManyItemsText();
                return false;
            }
            ArchiveEntry entry = entryOf(header, stream);
            if (entry.path.isEmpty())
                continue;
            entry.packed = packedIsSize ? entry.size : 0;
            m_listing.entries.add(std::move(entry));
        }
    }
    void streamSize(std::uint64_t size) override { m_listing.entries.at(0).size = size; }

private:
    Listing &m_listing;
};

bool passOverTar(const QString &path, ListingPass &pass, QString &error)
{
    ArchiveReader reader;
    if (!reader.open(path, ArchiveReader::Formats::Tar)) {
        error = reader.errorText();
        return false;
    }
    return pass.tarItems(reader, true, error);
}

bool passOverCompressed(const QFileInfo &file, Compression compression, ListingPass &pass, QString &error)
{
    const QString path = file.filePath();
    ArchiveReader outer;
    StreamHeader header;
    if (!outer.open(path, ArchiveReader::Formats::Raw) || outer.next(header) != ArchiveReader::Step::Ok) {
        error = outer.errorText();
        return false;
    }
    if (!filterMatches(compression, outer.outerFilter())) {
        error = notOfKind(compression);
        return false;
    }
    const std::optional<GzipHeaderInfo> gzip =
        compression == Compression::GZip ? readGzipHeader(path) : std::nullopt;
    ArchiveReader inner;
    const bool tarInside = inner.openTarFrom(outer);
    if (!tarInside && outer.failed()) {
        error = outer.errorText();
        return false;
    }
    ArchiveEntry item;
    item.path = innerItemName(path, gzip ? gzip->storedName : std::nullopt, tarInside);
    item.storedPath = item.path;
    item.modified = gzip && gzip->modified ? *gzip->modified : archiveFileTime(file);
    item.mode = 0100644;
    item.packed = static_cast<std::uint64_t>(file.size());
    pass.streamItem(std::move(item), tarInside);
    if (tarInside && !pass.tarItems(inner, false, error))
        return false;
    const std::optional<std::uint64_t> rest = outer.skipData();
    if (!rest) {
        error = outer.errorText();
        return false;
    }
    pass.streamSize(inner.delivered() + *rest);
    return true;
}

}  // namespace

bool filterMatches(Compression compression, int filterCode)
{
    switch (compression) {
    case Compression::GZip:
        return filterCode == ARCHIVE_FILTER_GZIP;
    case Compression::BZip2:
        return filterCode == ARCHIVE_FILTER_BZIP2;
    case Compression::Xz:
        return filterCode == ARCHIVE_FILTER_XZ || filterCode == ARCHIVE_FILTER_LZMA;
    case Compression::None:
        break;
    }
    return true;
}

QString innerItemName(const QString &archivePath, const std::optional<QString> &storedName, bool tarInside)
{
    if (storedName)
        return *storedName;
    const QString name = QFileInfo(archivePath).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name;
    const QString title = name.left(dot);
    static const QStringList tarShortcuts = {QStringLiteral("tgz"), QStringLiteral("tbz"), QStringLiteral("tbz2"),
                                             QStringLiteral("txz")};
    if (tarInside && tarShortcuts.contains(name.mid(dot + 1), Qt::CaseInsensitive))
        return title + QStringLiteral(".tar");
    return title;
}

std::int64_t archiveFileTime(const QFileInfo &file)
{
    return file.lastModified().toSecsSinceEpoch();
}

QString tooManyItemsText()
{
    return QStringLiteral("The archive holds too many items.");
}

bool runListingPass(const QFileInfo &file, Compression compression, ListingPass &pass, QString &error)
{
    if (!file.isFile()) {
        error = QStringLiteral("The archive file cannot be read.");
        return false;
    }
    return compression == Compression::None ? passOverTar(file.filePath(), pass, error)
                                            : passOverCompressed(file, compression, pass, error);
}

bool listArchive(const QString &path, Compression compression, Listing &listing)
{
    listing = Listing{};
    const QFileInfo info(path);
    listing.compressedSize = info.isFile() ? static_cast<std::uint64_t>(info.size()) : 0;
    ListingCollector collector(listing);
    if (!runListingPass(info, compression, collector, listing.error))
        return false;
    listing.entries.addImpliedFolders(archiveFileTime(info));
    return true;
}

}  // namespace orv::zip
