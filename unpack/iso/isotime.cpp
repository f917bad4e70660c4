#include "isotime.h"

#include <ctime>
#include <optional>
#include <unordered_map>

namespace orv::iso {

namespace {

bool inRange(const RecordedTime &t)
{
    return t.year >= 1900 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour >= 0
           && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

std::optional<std::int64_t> localHourStart(const RecordedTime &t)
{
    std::tm local{};
    local.tm_year = t.year - 1900;
    local.tm_mon = t.month - 1;
    local.tm_mday = t.day;
    local.tm_hour = t.hour;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == std::time_t(-1))
        return std::nullopt;
    return std::int64_t(seconds);
}

}  // namespace

std::int64_t calendarToSeconds(const RecordedTime &time)
{
    if (!inRange(time))
        return 0;
    // mktime looks at the time zone files on every call, which costs more than the rest of a scan; the
    // zone's offset changes only on whole hours, so the start of each hour is converted once. Images may
    // be read on several threads at once, each with its own cache, so that none needs a lock.
    thread_local std::unordered_map<std::int64_t, std::optional<std::int64_t>> hours;
    const std::int64_t key = ((std::int64_t(time.year) * 13 + time.month) * 32 + time.day) * 24 + time.hour;
    auto found = hours.find(key);
    if (found == hours.end()) {
        if (hours.size() > 65536)
            hours.clear();
        found = hours.emplace(key, localHourStart(time)).first;
    }
    if (!found->second)
        return 0;
    return *found->second + time.minute * 60 + time.second;
}

}  // namespace orv::iso
