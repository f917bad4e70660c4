#pragma once

#include <QString>

#include <cstdint>
#include <ctime>

namespace orv {

// Decimal with a blank before every group of three digits from the right: 1234567 -> "1 234 567".
QString formatNumber64(std::uint64_t value);

// high * 2^32 + low in double precision.
double convUInt64ToDouble(std::uint32_t low, std::uint32_t high);

// packed / size * 100 truncated toward zero; 0 when size is 0.
int ratioPercent(std::uint64_t packed, std::uint64_t size);

// Seconds since 1970 as local time with the user's locale: "%x %X" (lists, one-line descriptions) and
// "%x, %X" (the replace question). An empty text for a time the C library cannot convert.
QString localTimeText(std::int64_t secondsSince1970);
QString localTimeTextComma(std::int64_t secondsSince1970);

// DOS date in the high 16 bits, time in the low 16 bits, taken as local time. False when the fields do
// not form a time the C library can convert.
bool dosDateTimeToSeconds(std::uint32_t dosDateTime, std::int64_t &secondsSince1970);
std::uint32_t secondsToDosDateTime(std::int64_t secondsSince1970);

}  // namespace orv
