#pragma once

#include <cstdint>

namespace orv::iso {

// A recorded calendar time, read as local time with the zone field of the image ignored.
struct RecordedTime
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Seconds since 1970. A stamp outside the calendar (year before 1900, month 13, minute 60...) is damage,
// not a time: it gives 0, which every listing shows as unknown, and the item is still listed.
std::int64_t calendarToSeconds(const RecordedTime &time);

}  // namespace orv::iso
