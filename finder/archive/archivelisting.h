#pragma once

#include "finder/archive/unpackerinterface.h"

#include <functional>

namespace orv {

// Walks every entry of an open archive through the reader's cursor; the visitor returns false to stop.
// Ends early when the reader has no record for the current entry (the end of a RAR archive shows so).
// Returns the number of entries visited.
qint64 forEachEntry(IUnpacker &unpacker, TarNames names, const std::function<bool(const ArchiveEntry &)> &visit);

}  // namespace orv
