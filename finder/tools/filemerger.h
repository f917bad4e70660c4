#pragma once

#include "finder/tools/splitrequest.h"
#include "finder/tools/toolrun.h"

namespace orv {

class CChunkCopier;
class CCopyFile;

// Joins files in list order into one, copying in chunks of 256 KiB with a pump after each. An interruption,
// or a read or write error while copying, removes the destination; a part that cannot be opened stops the
// merge and leaves what was joined so far.
class CFileMerger : public CToolRun
{
    Q_DECLARE_TR_FUNCTIONS(CFileMerger)

public:
    ToolResult Merge(const MergeRequest &request);

private:
    enum class Copy { Whole, Interrupted, Failed };

    ToolResult joinInto(CCopyFile &destination, const QStringList &sources);
    Copy copyFrom(const CCopyFile &source, CCopyFile &destination, CChunkCopier &copier, qint64 &done, qint64 total);
};

}  // namespace orv
