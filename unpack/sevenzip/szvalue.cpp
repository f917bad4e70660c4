#include "unpack/sevenzip/szvalue.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace orv::sz {

namespace {
constexpr std::size_t prefixSize = sizeof(UInt32);
constexpr std::int64_t ticksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t epochDifference = 11'644'473'600;

char *prefixOf(const wchar_t *text)
{
    return const_cast<char *>(reinterpret_cast<const char *>(text)) - prefixSize;
}
}  // namespace

BSTR allocBstr(std::u16string_view text)
{
    const std::size_t bytes = text.size() * sizeof(wchar_t);
    void *block = std::malloc(prefixSize + bytes + sizeof(wchar_t));
    if (!block)
        throw std::bad_alloc();
    const auto length = static_cast<UInt32>(bytes);
    std::memcpy(block, &length, prefixSize);
    auto *chars = reinterpret_cast<wchar_t *>(static_cast<char *>(block) + prefixSize);
    for (std::size_t i = 0; i < text.size(); ++i)
        chars[i] = static_cast<wchar_t>(text[i]);
    chars[text.size()] = L'\0';
    return chars;
}

void freeBstr(BSTR text)
{
    if (text)
        std::free(prefixOf(text));
}

std::u16string bstrToUtf16(const wchar_t *text)
{
    if (!text)
        return {};
    UInt32 bytes = 0;
    std::memcpy(&bytes, prefixOf(text), prefixSize);
    const std::size_t length = bytes / sizeof(wchar_t);
    std::u16string result(length, u'\0');
    for (std::size_t i = 0; i < length; ++i)
        result[i] = static_cast<char16_t>(static_cast<std::uint32_t>(text[i]) & 0xFFFFu);
    return result;
}

std::wstring utf16ToWide(std::u16string_view text)
{
    std::wstring result(text.size(), L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        result[i] = static_cast<wchar_t>(text[i]);
    return result;
}

std::u16string wideToUtf16(const wchar_t *text)
{
    std::u16string result;
    for (; text && *text; ++text)
        result.push_back(static_cast<char16_t>(static_cast<std::uint32_t>(*text) & 0xFFFFu));
    return result;
}

std::int64_t fileTimeToUnixSeconds(FileTime time)
{
    const std::uint64_t ticks = (std::uint64_t{time.high} << 32) | time.low;
    return static_cast<std::int64_t>(ticks / ticksPerSecond) - epochDifference;
}

FileTime unixToFileTime(std::int64_t seconds, std::uint32_t nanoseconds)
{
    const std::int64_t sinceEpoch = seconds + epochDifference;
    const std::uint64_t ticks = sinceEpoch < 0 ? 0
                                               : static_cast<std::uint64_t>(sinceEpoch) * ticksPerSecond
                                                     + nanoseconds / 100;
    return FileTime{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

PropVariant::PropVariant() { std::memset(&m_value, 0, sizeof m_value); }

PropVariant::~PropVariant() { clear(); }

void PropVariant::clear()
{
    if (m_value.vt == vt::bstr)
        freeBstr(m_value.bstrVal);
    std::memset(&m_value, 0, sizeof m_value);
}

RawPropVariant *PropVariant::out()
{
    clear();
    return &m_value;
}

std::optional<std::uint64_t> PropVariant::toUInt64() const
{
    switch (m_value.vt) {
    case vt::ui1: return m_value.bVal;
    case vt::ui2: return m_value.uiVal;
    case vt::ui4: return m_value.ulVal;
    case vt::ui8: return m_value.uhVal;
    default: return std::nullopt;
    }
}

std::optional<std::uint32_t> PropVariant::toUInt32() const
{
    switch (m_value.vt) {
    case vt::ui1: return m_value.bVal;
    case vt::ui2: return m_value.uiVal;
    case vt::ui4: return m_value.ulVal;
    // Some handlers give 64-bit attribute words; the low half is the Windows+Unix word.
    case vt::ui8: return static_cast<std::uint32_t>(m_value.uhVal);
    default: return std::nullopt;
    }
}

std::optional<bool> PropVariant::toBool() const
{
    if (m_value.vt != vt::boolean)
        return std::nullopt;
    return m_value.boolVal != 0;
}

std::optional<FileTime> PropVariant::toFileTime() const
{
    if (m_value.vt != vt::filetime)
        return std::nullopt;
    return m_value.filetime;
}

std::optional<std::u16string> PropVariant::toUtf16() const
{
    if (m_value.vt != vt::bstr)
        return std::nullopt;
    return bstrToUtf16(m_value.bstrVal);
}

void PropVariant::setBool(bool value) { sz::setBool(out(), value); }
void PropVariant::setUInt32(std::uint32_t value) { sz::setUInt32(out(), value); }
void PropVariant::setUInt64(std::uint64_t value) { sz::setUInt64(out(), value); }
void PropVariant::setFileTime(FileTime value) { sz::setFileTime(out(), value); }
void PropVariant::setString(std::u16string_view value) { sz::setString(out(), value); }

void PropVariant::moveTo(RawPropVariant *target)
{
    std::memcpy(target, &m_value, sizeof m_value);
    std::memset(&m_value, 0, sizeof m_value);
}

void setBool(RawPropVariant *target, bool value)
{
    target->vt = vt::boolean;
    target->boolVal = value ? -1 : 0;
}

void setUInt32(RawPropVariant *target, std::uint32_t value)
{
    target->vt = vt::ui4;
    target->ulVal = value;
}

void setUInt64(RawPropVariant *target, std::uint64_t value)
{
    target->vt = vt::ui8;
    target->uhVal = value;
}

void setFileTime(RawPropVariant *target, FileTime value)
{
    target->vt = vt::filetime;
    target->filetime = value;
}

void setString(RawPropVariant *target, std::u16string_view value)
{
    // Allocate first so a failure leaves the target as it was.
    BSTR text = allocBstr(value);
    target->vt = vt::bstr;
    target->bstrVal = text;
}

}  // namespace orv::sz
