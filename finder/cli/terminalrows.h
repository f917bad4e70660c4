#pragma once

#include "finder/search/foundfiles.h"

#include <QString>

#include <cstdint>
#include <string>

namespace orv {

// The plain line of a hit on standard output, as the saved text list words it with names escaped for the
// terminal, appended as UTF-8. A search writes tens of thousands of rows whose folder and time repeat
// from one row to the next, so the texts of the last folder and the last time are kept and reused, and a
// row is written into the output in one piece.
class CTerminalRows
{
public:
    void append(std::string &out, const CFileInfo &record);
    void append(std::string &out, const FoundEntry &entry);

private:
    // The folder is the two parts one after the other, each kept with its text: the start (an archive's
    // path) is often the very string of the row before, which a shared copy tells without comparing it,
    // and the rest (a folder inside the archive) changes far more often than the start.
    void takeFolder(const QString &start, qsizetype startLength, QStringView rest);
    void takeTime(std::int64_t secondsSince1970);
    void appendRow(std::string &out, QStringView name, const std::uint64_t *size);

    QString m_folderStart;
    std::string m_startText;
    bool m_haveStart = false;
    QString m_folderRest;
    std::string m_restText;
    bool m_haveRest = false;
    std::int64_t m_time = 0;
    std::string m_timeText;
    bool m_haveTime = false;
};

}  // namespace orv
