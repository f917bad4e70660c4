#include "unpackerregistry.h"

#include "finder/archive/unpackeradapter.h"

namespace orv {

std::unique_ptr<IUnpacker> createUnpackerOfKind(ArchiveKindCode kind)
{
    switch (kind) {
    default:
        return nullptr;
    }
}

}  // namespace orv
