#pragma once

#include "finder/tools/splitrequest.h"
#include "finder/tools/toolrun.h"

namespace orv {

class CChunkCopier;
class CCopyFile;

// Cuts a file into parts name.001, name.002 ... of equal size (the last one smaller), copying in chunks of
// at most 256 KiB with a pump after each. An existing part stops the split; parts written before stay.
// An interruption, or a read or write error, removes every part written, so nothing incomplete is left
// looking finished.
class CFileSplitter : public CToolRun
{
    Q_DECLARE_TR_FUNCTIONS(CFileSplitter)

public:
    ToolResult Split(const SplitRequest &request);

private:
    class PartSet;

    ToolResult copyIntoParts(const CCopyFile &source, PartSet &parts, qint64 partSize, qint64 size);
    // Every part goes, then the message names the file that failed.
    ToolResult abandon(PartSet &parts, const CChunkCopier &copier, const QString &source);
};

}  // namespace orv
