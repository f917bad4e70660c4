// The volume names of a RAR set from any name. The chain of names must move on at every step, or the
// search for the set would ask for the same file again and again.
#include "unpack/rar/rarvolumes.h"

#include <cstdlib>

using namespace orv;

namespace {

constexpr int kSteps = 200;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QString path = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int step = 0; step < kSteps; ++step) {
        const std::optional<QString> next = rar::nextVolumePath(path);
        if (!next)
            break;
        if (*next == path || next->size() < path.size())
            std::abort();
        path = *next;
    }
    return 0;
}
