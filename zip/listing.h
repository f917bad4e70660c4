#pragma once

#include "zip/entrylist.h"

#include <QFileInfo>
#include <QString>

#include <cstdint>

namespace orv::zip {

enum class Compression { None, GZip, BZip2, Xz };

// Far more than real archives hold, and a bound on the memory a hostile file can make the listing use.
constexpr int MaxListedEntries = 5'000'000;
QString tooManyItemsText();
// The time of the archive file, for the items that carry none of their own.
std::int64_t archiveFileTime(const QFileInfo &file);

// Everything an open learns in its one pass over the file.
struct Listing
{
    EntryList entries;
    // The stream of a compressed file holds a tar: entry 0 is the tar itself, the tar's entries follow.
    bool tarInside = false;
    std::uint64_t compressedSize = 0;
    QString error;
};

// What one pass over the file hands on, whether it keeps the items or shows them as they come.
class ListingPass
{
public:
    virtual ~ListingPass() = default;
    // The one item of a compressed file, before the tar's items when a tar is inside; its size is not
    // known yet.
    virtual void streamItem(ArchiveEntry item, bool tarInside) = 0;
    // Reads the tar's headers to the end; false with the error set, or to stop.
    virtual bool tarItems(ArchiveReader &reader, bool packedIsSize, QString &error) = 0;
    // The decompressed size of the one item of a compressed file, known once the pass ends.
    virtual void streamSize(std::uint64_t size) = 0;
};

// The pass itself: the file as a tar with Compression::None, else as a compressed file with or without
// a tar inside. False with the error set when the file is not of that kind or is damaged, or when the
// pass stopped.
bool runListingPass(const QFileInfo &file, Compression compression, ListingPass &pass, QString &error);

// With Compression::None the file is a tar (under any compression); otherwise a file compressed that
// way, with or without a tar inside. False with Listing::error set when the file is not of that kind or
// is damaged.
bool listArchive(const QString &path, Compression compression, Listing &listing);

// The name of the one item of a compressed file: the name the header stored, else the file's name
// without its last extension ("a.tar.gz" -> "a.tar"; "a.tgz" -> "a.tar" when a tar is inside).
QString innerItemName(const QString &archivePath, const std::optional<QString> &storedName, bool tarInside);

// Whether the outermost compression libarchive found is the one the unpacker reads.
bool filterMatches(Compression compression, int filterCode);

}  // namespace orv::zip
