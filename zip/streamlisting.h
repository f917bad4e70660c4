#pragma once

#include "zip/listing.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>

namespace orv::zip {

// One item of a listing shown while the file is read; valid only during the call.
struct StreamedItem
{
    QByteArrayView path;  // UTF-8, normalised as an open lists it
    bool folder = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    // The one item of a compressed file, which an open lists first. Its size is known only once the whole
    // stream is read, so it comes last.
    bool leading = false;
};

enum class StreamResult {
    Listed,
    Failed,
    // A hard link takes the size of the file it names, which one pass can only know by keeping every
    // path; the archive is listed through an open instead.
    NeedsOpen,
};

using StreamedItemVisitor = std::function<void(const StreamedItem &)>;

// Shows the items an open of the file would list, in the same order (but for StreamedItem::leading) and
// with the same paths, sizes and times, keeping none of them. With underStreamItem, the paths of the tar's
// items in a compressed file start with the tar's name. On failure the error is set; items handed over
// before it are to be thrown away, as an open would list none.
StreamResult streamArchive(const QString &path, Compression compression, bool underStreamItem,
                           const StreamedItemVisitor &visit, QString &error);

}  // namespace orv::zip
