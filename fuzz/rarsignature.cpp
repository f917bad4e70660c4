// The RAR signature and main header reader on any bytes, at the start and behind a stub.
#include "unpack/rar/rarsignature.h"

#include <cstdlib>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray head(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<rar::Signature> plain = rar::parseSignature(head, false);
    const std::optional<rar::Signature> anywhere = rar::parseSignature(head, true);
    // A signature at the start is also the first one found when a stub is allowed.
    if (plain && (!anywhere || anywhere->offset != 0 || plain->offset != 0))
        std::abort();
    if (anywhere && anywhere->offset >= std::uint64_t(size))
        std::abort();
    return 0;
}
