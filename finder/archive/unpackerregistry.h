#pragma once

#include "finder/archive/archivekind.h"
#include "finder/archive/unpackerinterface.h"

#include <functional>
#include <memory>

namespace orv {

// A new object of the class that reads a kind; null when the kind has no class (none, ACE, unknown codes,
// or a reader this build does not have).
std::unique_ptr<IUnpacker> createUnpackerOfKind(ArchiveKindCode kind);

using UnpackerCreator = std::function<std::unique_ptr<IUnpacker>(ArchiveKindCode)>;

}  // namespace orv
