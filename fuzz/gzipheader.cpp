// The gzip member header reader on any bytes. A stored name, when there is one, must be a single
// component that extraction may use as it is.
#include "zip/gzipheader.h"

#include <cstdlib>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<zip::GzipHeaderInfo> header = zip::parseGzipHeader(bytes);
    if (header && header->storedName) {
        const QString &name = *header->storedName;
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".."))
            std::abort();
    }
    return 0;
}
