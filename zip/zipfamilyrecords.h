#pragma once

#include "unpack/common/records.h"

#include <QString>

#include <cstdint>

namespace orv {

// The short record of the four stream-based unpackers. bFolder is set for every folder; bSubFolder for
// every item, file or folder, whose path contains "/".
using TARFILESHORTINFO = FILESHORTINFO;
using GZIPFILESHORTINFO = FILESHORTINFO;
using BZIP2FILESHORTINFO = FILESHORTINFO;
using XZFILESHORTINFO = FILESHORTINFO;

// The full record shared by the four. Folders carry their names too.
struct TARFILEFULLINFO : TARFILESHORTINFO
{
    QString strLinkTarget;         // symbolic or hard link target as stored; empty for other items
    std::uint64_t nSize = 0;        // unpacked size; a hard link shows the size of the file it names
    std::uint64_t nPackSize = 0;    // the compressed file's size for the one item of a compressed file;
                                    // the unpacked size inside a plain tar; 0 where nobody knows it
    std::uint32_t dwDosDateTime = 0;  // modification time as local DOS date (high 16 bits) and time
    std::int64_t tModified = 0;     // modification time, seconds since 1970
    std::uint32_t dwMode = 0;       // Unix mode: type and permission bits
};

using GZIPFILEFULLINFO = TARFILEFULLINFO;
using BZIP2FILEFULLINFO = TARFILEFULLINFO;
using XZFILEFULLINFO = TARFILEFULLINFO;

}  // namespace orv
