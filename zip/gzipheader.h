#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace orv::zip {

// What the first member header of a gzip file records about the compressed file (RFC 1952).
struct GzipHeaderInfo
{
    std::optional<QString> storedName;  // FNAME, reduced to its last component
    std::optional<std::int64_t> modified;  // MTIME, seconds since 1970; 0 in the file means unknown
};

// No value when the bytes do not start with a gzip header.
std::optional<GzipHeaderInfo> parseGzipHeader(const QByteArray &bytes);
std::optional<GzipHeaderInfo> readGzipHeader(const QString &path);

}  // namespace orv::zip
