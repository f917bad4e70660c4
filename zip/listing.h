#pragma once

#include "zip/entrylist.h"

#include <QString>

#include <cstdint>

namespace orv::zip {

enum class Compression { None, GZip, BZip2, Xz };

// Everything an open learns in its one pass over the file.
struct Listing
{
    EntryList entries;
    // The stream of a compressed file holds a tar: entry 0 is the tar itself, the tar's entries follow.
    bool tarInside = false;
    std::uint64_t compressedSize = 0;
    QString error;
};

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
