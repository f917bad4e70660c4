#pragma once

#include "unpack/common/records.h"

namespace orv::test {

// The unpack settings with the three "without paths" flags alike.
inline INIUNPACK ini(bool withoutPaths, bool askBeforeOverwriting = true)
{
    INIUNPACK settings;
    settings.bUnpackFilesWithoutPaths = settings.bUnpackFoldersWithoutPaths = settings.bUnpackArchivesWithoutPaths =
        withoutPaths ? 1 : 0;
    settings.bAskBeforeOverwriting = askBeforeOverwriting ? 1 : 0;
    return settings;
}

}  // namespace orv::test
