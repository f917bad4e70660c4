#include "unpackerregistry.h"

#include "finder/archive/unpackeradapter.h"
#include "unpack/7z/sevenzipunpacker.h"
#include "unpack/cab/cabunpacker.h"
#include "unpack/iso/isounpacker.h"
#include "unpack/rar/rarunpacker.h"
#include "zip/tarfamilyunpackers.h"
#include "zip/zipunpacker.h"

namespace orv {

std::unique_ptr<IUnpacker> createUnpackerOfKind(ArchiveKindCode kind)
{
    switch (kind) {
    case ArchiveKind::Zip:
    case ArchiveKind::Jar:
    case ArchiveKind::Xap:
    case ArchiveKind::Custom:
    case ArchiveKind::SelfExtractingZip:
        return makeUnpacker<CZipUnpacker>();
    case ArchiveKind::Cab:
        return makeUnpacker<CCabUnpacker>();
    case ArchiveKind::Rar:
        return makeUnpacker<CRarUnpacker, OpenBy::Archive, FolderBy::EitherFlag>();
    case ArchiveKind::SevenZip:
        return makeUnpacker<C7zUnpacker, OpenBy::Archive, FolderBy::EitherFlag>();
    case ArchiveKind::SevenZipVolumes:
        return makeUnpacker<C7zUnpacker, OpenBy::MultiVolume, FolderBy::EitherFlag>();
    case ArchiveKind::GZip:
        return makeUnpacker<CGZipUnpacker>();
    case ArchiveKind::Tar:
        return makeUnpacker<CTarUnpacker>();
    case ArchiveKind::BZip2:
        return makeUnpacker<CBZip2Unpacker>();
    case ArchiveKind::Xz:
        return makeUnpacker<CXzUnpacker>();
    case ArchiveKind::Iso:
        return makeUnpacker<CIsoUnpacker>();
    default:
        return nullptr;
    }
}

}  // namespace orv
