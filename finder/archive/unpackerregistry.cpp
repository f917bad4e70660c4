#include "unpackerregistry.h"

#include "finder/archive/unpackeradapter.h"
#include "zip/bzip2unpacker.h"
#include "zip/gzipunpacker.h"
#include "zip/tarunpacker.h"
#include "zip/xzunpacker.h"

namespace orv {

std::unique_ptr<IUnpacker> createUnpackerOfKind(ArchiveKindCode kind)
{
    switch (kind) {
    case ArchiveKind::GZip:
        return makeUnpacker<CGZipUnpacker>();
    case ArchiveKind::Tar:
        return makeUnpacker<CTarUnpacker>();
    case ArchiveKind::BZip2:
        return makeUnpacker<CBZip2Unpacker>();
    case ArchiveKind::Xz:
        return makeUnpacker<CXzUnpacker>();
    default:
        return nullptr;
    }
}

}  // namespace orv
