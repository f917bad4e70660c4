#include "listing.h"

#include "unpack/common/records.h"
#include "zip/gzipheader.h"

#include <QDateTime>
#include <QFileInfo>

#include <archive.h>

namespace orv::zip {

namespace {

// Far more than real archives hold, and a bound on the memory a hostile file can make the listing use.
constexpr int MaxEntries = 5'000'000;

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

// Reads every header; the data in between is skipped (decompressed, for a compressed tar).
bool readTarHeaders(ArchiveReader &reader, bool packedIsSize, Listing &listing)
{
    StreamHeader header;
    for (int stream = 0;; ++stream) {
        switch (reader.next(header)) {
        case ArchiveReader::Step::End:
            return true;
        case ArchiveReader::Step::Failed:
            listing.error = reader.errorText();
            return false;
        case ArchiveReader::Step::Ok:
            break;
        }
        if (listing.entries.size() >= MaxEntries) {
            listing.error = QStringLiteral("The archive holds too many items.");
            return false;
        }
        ArchiveEntry entry = entryOf(header, stream);
        if (entry.path.isEmpty())
            continue;
        entry.packed = packedIsSize ? entry.size : 0;
        listing.entries.add(std::move(entry));
    }
}

std::int64_t fileTime(const QFileInfo &info)
{
    return info.lastModified().toSecsSinceEpoch();
}

bool listTar(const QString &path, Listing &listing)
{
    ArchiveReader reader;
    if (!reader.open(path, ArchiveReader::Formats::Tar)) {
        listing.error = reader.errorText();
        return false;
    }
    return readTarHeaders(reader, true, listing);
}

bool listCompressed(const QString &path, Compression compression, Listing &listing, std::int64_t modified)
{
    ArchiveReader outer;
    StreamHeader header;
    if (!outer.open(path, ArchiveReader::Formats::Raw) || outer.next(header) != ArchiveReader::Step::Ok) {
        listing.error = outer.errorText();
        return false;
    }
    if (!filterMatches(compression, outer.outerFilter())) {
        listing.error = notOfKind(compression);
        return false;
    }
    const std::optional<GzipHeaderInfo> gzip =
        compression == Compression::GZip ? readGzipHeader(path) : std::nullopt;
    ArchiveReader inner;
    listing.tarInside = inner.openTarFrom(outer);
    if (!listing.tarInside && outer.failed()) {
        listing.error = outer.errorText();
        return false;
    }
    ArchiveEntry item;
    item.path = innerItemName(path, gzip ? gzip->storedName : std::nullopt, listing.tarInside);
    item.storedPath = item.path;
    item.modified = gzip && gzip->modified ? *gzip->modified : modified;
    item.mode = 0100644;
    item.packed = listing.compressedSize;
    listing.entries.add(item);
    if (listing.tarInside && !readTarHeaders(inner, false, listing))
        return false;
    const std::optional<std::uint64_t> rest = outer.skipData();
    if (!rest) {
        listing.error = outer.errorText();
        return false;
    }
    listing.entries.at(0).size = inner.delivered() + *rest;
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

bool listArchive(const QString &path, Compression compression, Listing &listing)
{
    listing = Listing{};
    const QFileInfo info(path);
    if (!info.isFile()) {
        listing.error = QStringLiteral("The archive file cannot be read.");
        return false;
    }
    listing.compressedSize = static_cast<std::uint64_t>(info.size());
    const bool listed = compression == Compression::None ? listTar(path, listing)
                                                         : listCompressed(path, compression, listing, fileTime(info));
    if (!listed)
        return false;
    listing.entries.addImpliedFolders(fileTime(info));
    return true;
}

}  // namespace orv::zip
