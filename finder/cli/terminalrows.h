#pragma once

#include "finder/search/foundfiles.h"

#include <QString>

#include <cstdint>
#include <string>

namespace orv {

// The plain line of a hit on standard output, as the saved text list words it with names escaped for the
// terminal, appended as UTF-8. A search writes tens of thousands of rows whose folder and time repeat
// from one row to the next, so the texts of the last folder and the last time are kept and reused.
class CTerminalRows
{
public:
    void append(std::string &out, const CFileInfo &record);
    void append(std::string &out, const FoundEntry &entry);

private:
    // The folder is the two parts one after the other.
    void appendFolder(std::string &out, QStringView start, QStringView rest);
    void appendSizeAndTime(std::string &out, const std::uint64_t *size, std::int64_t secondsSince1970);

    QString m_folderStart;
    QString m_folderRest;
    std::string m_folderText;
    bool m_haveFolder = false;
    std::int64_t m_time = 0;
    std::string m_timeText;
    bool m_haveTime = false;
};

}  // namespace orv
