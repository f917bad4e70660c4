#pragma once

#include "finder/archive/unpackerinterface.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace orv {

// An archive's entries packed into one value for the catalogue, and read back. Reading back is what a
// repeated search spends its time on, so the form is cheap to read: the paths of a listing repeat their
// folders and are kept as the part that differs from the path before; numbers are variable-length.
QByteArray encodeListing(const std::vector<ArchiveEntry> &entries);
// No value when the bytes are not exactly that many whole entries.
std::optional<std::vector<ArchiveEntry>> decodeListing(const QByteArray &bytes, std::int64_t count);

}  // namespace orv
