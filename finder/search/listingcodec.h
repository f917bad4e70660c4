#pragma once

#include "finder/archive/unpackerinterface.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace orv {

// An archive's entries packed into one value for the catalogue, and read back. Reading back is what a
// repeated search spends its time on, so the form is cheap to read: the paths of a listing repeat their
// folders and are kept as the part that differs from the path before; numbers are variable-length.

// A listing as it is kept: that many entries as CListingEncoder packs them.
struct PackedListing
{
    bool tarInside = false;
    QByteArray bytes;
    std::int64_t count = 0;
};

// Packs entries one at a time, as a reader lists them.
class CListingEncoder
{
public:
    void add(const ArchiveEntry &entry);
    PackedListing take(bool tarInside);

private:
    QByteArray m_bytes;
    QString m_previousPath;
    std::int64_t m_lastTime = 0;
    std::int64_t m_count = 0;
};

QByteArray encodeListing(const std::vector<ArchiveEntry> &entries);

// Reads a packed listing entry by entry into one entry object, so that a path is only ever extended from
// the one before and no entry needs memory of its own.
class CPackedListingReader
{
public:
    CPackedListingReader(QByteArrayView bytes, std::int64_t count) : m_bytes(bytes), m_count(count) {}

    // Whether the bytes are exactly that many whole entries; nothing is read that is not checked first.
    bool isWhole() const;
    // The next entry into the object, which must be the one the previous call filled (or a new one for the
    // first); false at the end or at damage.
    bool next(ArchiveEntry &entry);

private:
    QByteArrayView m_bytes;
    std::int64_t m_count;
    std::int64_t m_read = 0;
    std::size_t m_at = 0;
    std::int64_t m_lastTime = 0;
};

// No value when the bytes are not exactly that many whole entries.
std::optional<std::vector<ArchiveEntry>> decodeListing(QByteArrayView bytes, std::int64_t count);

}  // namespace orv
