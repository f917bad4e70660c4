#pragma once

#include "unpack/common/records.h"

#include <QString>

#include <cstdint>

namespace orv {

// Everything known about one item of a disc image. An ISO 9660 item fills dwExtent and dwDataLength and
// leaves the three UDF fields at 0; a UDF item fills nSize, nPackSize and tAccessed and leaves the two
// ISO 9660 fields at 0. bFolder marks a folder; bSubFolder says the path has a parent folder.
struct ISOFILEFULLINFO : ISOFILESHORTINFO
{
    std::uint32_t dwExtent = 0;      // first logical block (ISO 9660)
    std::uint32_t dwDataLength = 0;  // bytes (ISO 9660)
    std::uint64_t nSize = 0;         // information length (UDF)
    std::uint64_t nPackSize = 0;     // blocks recorded x sector size, or the size when none are recorded (UDF)
    std::int64_t tModified = 0;      // seconds since 1970; 0 when the image records no valid time
    std::int64_t tAccessed = 0;      // UDF only
    std::uint8_t bHidden = 0;
};

}  // namespace orv
