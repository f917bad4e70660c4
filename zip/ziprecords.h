#pragma once

#include "unpack/common/records.h"

#include <QString>

#include <cstdint>

namespace orv {

// The short record of the ZIP unpacker. As with the other members of this library, bFolder is set for
// every folder and bSubFolder for every item, file or folder, whose path contains "/".
using ZIPFILESHORTINFO = FILESHORTINFO;

struct ZIPFILEFULLINFO : ZIPFILESHORTINFO
{
    std::uint32_t dwDosDateTime = 0;  // modification time as local DOS date (high 16 bits) and time
    std::int64_t tModified = 0;       // modification time, seconds since 1970
    std::uint64_t nSize = 0;          // unpacked size
    std::uint64_t nPackSize = 0;
    std::uint32_t dwCRC = 0;          // 0 where the archive keeps none (AES entries, folders)
    QString strMethod;                // as the library names it: "Deflate", "AES-256 LZMA:eos", ...
    std::uint32_t dwAttributes = 0;   // Windows bits; 0x8000 and the Unix mode in the high half when recorded
};

// The packing settings handed over by the finder, in this order.
struct INIPACK
{
    std::uint8_t bMainWindowVisible = 1;  // the caller's own; the packer does not look at it
    std::uint8_t bNewArchive = 0;         // set by the caller when the archive was made by CreateArchive
    std::uint8_t bPackFilesWithoutPaths = 1;
    std::uint8_t bPackFoldersWithoutPaths = 1;
    std::uint8_t bAskBeforeUpdating = 1;
    int nCompressionLevel = 6;    // list index: 0 stores, 1 fastest ... 9 best
    int nCompressionMethod = 8;   // ZIP method number: 8 Deflate, 12 BZip2, 14 LZMA
    std::uint8_t bEncrypt = 0;
    QString strPassword;
    int nEncryptionMethod = 0;    // list index: 0 Zip 2.0, 1 AES-128, 2 AES-192, 3 AES-256
};

}  // namespace orv
