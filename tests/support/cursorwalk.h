#pragma once

#include <vector>

namespace orv::test {

// The full records of an unpacker's items, walked as the finder walks its cursor: FindFile, then
// FindNextFileW and the current record until the cursor says no more or no record can be had.
template <typename Record, typename Unpacker>
std::vector<Record> fullRecords(Unpacker &unpacker)
{
    std::vector<Record> records;
    if (!unpacker.FindFile())
        return records;
    bool more = true;
    while (more) {
        more = unpacker.FindNextFileW();
        Record record;
        if (!unpacker.GetFileFullInfo(record))
            break;
        records.push_back(record);
    }
    return records;
}

}  // namespace orv::test
