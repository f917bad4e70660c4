#include "isotime.h"

#include <ctime>

namespace orv::iso {

namespace {

bool inRange(const RecordedTime &t)
{
    return t.year >= 1900 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour >= 0
           && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

}  // namespace

std::int64_t calendarToSeconds(const RecordedTime &time)
{
    if (!inRange(time))
        return 0;
    std::tm local{};
    local.tm_year = time.year - 1900;
    local.tm_mon = time.month - 1;
    local.tm_mday = time.day;
    local.tm_hour = time.hour;
    local.tm_min = time.minute;
    local.tm_sec = time.second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    return seconds == std::time_t(-1) ? 0 : std::int64_t(seconds);
}

}  // namespace orv::iso
