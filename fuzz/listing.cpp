// The catalogue's listing reader on any bytes: the first two give the entry count the row would claim.
// What it accepts must come back the same through the writer.
#include "finder/search/listingcodec.h"

#include <cstdlib>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::int64_t count = data[0] | data[1] << 8;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    const std::optional<std::vector<ArchiveEntry>> entries = decodeListing(bytes, count);
    if (!entries)
        return 0;
    const std::optional<std::vector<ArchiveEntry>> again = decodeListing(encodeListing(*entries), count);
    if (!again || again->size() != entries->size())
        std::abort();
    for (std::size_t i = 0; i < entries->size(); ++i) {
        const ArchiveEntry &a = (*entries)[i];
        const ArchiveEntry &b = (*again)[i];
        if (a.path != b.path || a.size != b.size || a.modified != b.modified || a.folder != b.folder)
            std::abort();
    }
    return 0;
}
