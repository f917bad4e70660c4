#include "numbers.h"

#include <array>
#include <cmath>
#include <limits>

namespace orv {

namespace {

// DOS date (high 16 bits): day 0-4, month 5-8, years since 1980 9-15.
// DOS time (low 16 bits): two-second units 0-4, minutes 5-10, hours 11-15.
constexpr int DosYearBase = 1980;
constexpr int TmYearBase = 1900;

struct DosFields
{
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

DosFields splitDos(std::uint32_t dos)
{
    const std::uint32_t date = dos >> 16;
    const std::uint32_t time = dos & 0xFFFFu;
    return {DosYearBase + static_cast<int>((date >> 9) & 0x7Fu), static_cast<int>((date >> 5) & 0x0Fu),
            static_cast<int>(date & 0x1Fu),                      static_cast<int>((time >> 11) & 0x1Fu),
            static_cast<int>((time >> 5) & 0x3Fu),               static_cast<int>((time & 0x1Fu) * 2)};
}

// mktime would quietly roll a day 0 or a month 13 into a neighbouring date; a DOS stamp like that is
// damage, not a time.
bool plausible(const DosFields &f)
{
    return f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31 && f.hour < 24 && f.minute < 60
           && f.second < 60;
}

QString formatLocal(std::int64_t secondsSince1970, const char *format)
{
    const auto t = static_cast<std::time_t>(secondsSince1970);
    if (static_cast<std::int64_t>(t) != secondsSince1970)
        return {};
    std::tm local{};
    if (!localtime_r(&t, &local))
        return {};
    std::array<char, 128> buffer{};
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), format, &local);
    if (length == 0)
        return {};
    return QString::fromLocal8Bit(buffer.data(), static_cast<qsizetype>(length));
}

}  // namespace

QString formatNumber64(std::uint64_t value)
{
    const QString digits = QString::number(value);
    QString out;
    out.reserve(digits.size() + digits.size() / 3);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(' ');
        out += digits.at(i);
    }
    return out;
}

double convUInt64ToDouble(std::uint32_t low, std::uint32_t high)
{
    return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

int ratioPercent(std::uint64_t packed, std::uint64_t size)
{
    if (size == 0)
        return 0;
    const double ratio = static_cast<double>(packed) / static_cast<double>(size) * 100.0;
    // A hostile archive can claim a packed size far above the unpacked one; keep the result an int.
    if (ratio >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(ratio));
}

QString localTimeText(std::int64_t secondsSince1970)
{
    return formatLocal(secondsSince1970, "%x %X");
}

QString localTimeTextComma(std::int64_t secondsSince1970)
{
    return formatLocal(secondsSince1970, "%x, %X");
}

bool dosDateTimeToSeconds(std::uint32_t dosDateTime, std::int64_t &secondsSince1970)
{
    const DosFields f = splitDos(dosDateTime);
    if (!plausible(f))
        return false;
    std::tm local{};
    local.tm_year = f.year - TmYearBase;
    local.tm_mon = f.month - 1;
    local.tm_mday = f.day;
    local.tm_hour = f.hour;
    local.tm_min = f.minute;
    local.tm_sec = f.second;
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1))
        return false;
    secondsSince1970 = static_cast<std::int64_t>(t);
    return true;
}

std::uint32_t secondsToDosDateTime(std::int64_t secondsSince1970)
{
    // The DOS calendar covers 1980 to 2107; earlier and later times are pinned to its ends.
    constexpr std::uint32_t earliest = (((0u << 9) | (1u << 5) | 1u) << 16);
    constexpr std::uint32_t latest = (((127u << 9) | (12u << 5) | 31u) << 16) | ((23u << 11) | (59u << 5) | 29u);
    const auto t = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (static_cast<std::int64_t>(t) != secondsSince1970 || !localtime_r(&t, &local))
        return earliest;
    const int year = local.tm_year + TmYearBase;
    if (year < DosYearBase)
        return earliest;
    if (year > DosYearBase + 127)
        return latest;
    const auto date = static_cast<std::uint32_t>(((year - DosYearBase) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    // A leap second (tm_sec 60) still has to fit the five bits of two-second units.
    const int seconds = local.tm_sec > 59 ? 59 : local.tm_sec;
    const auto time = static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (seconds / 2));
    return (date << 16) | time;
}

}  // namespace orv
