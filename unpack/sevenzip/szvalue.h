#pragma once

// Values crossing the 7z.so boundary: PROPVARIANTs with their BSTRs, UTF-16 text carried one code unit
// per wchar_t, and FILETIME stamps.

#include "unpack/sevenzip/szabi.h"

#include <optional>
#include <string>
#include <string_view>

namespace orv::sz {

// A BSTR the library may free: malloc'ed, with the byte length in the 4 bytes before the characters.
BSTR allocBstr(std::u16string_view text);
void freeBstr(BSTR text);
// The low 16 bits of each wchar_t are one UTF-16 unit; the length comes from the prefix.
std::u16string bstrToUtf16(const wchar_t *text);
// A null-terminated wide string of UTF-16 units, for names the library reads but does not keep.
std::wstring utf16ToWide(std::u16string_view text);
// The same for a string that has no length prefix (a volume name the library passes in).
std::u16string wideToUtf16(const wchar_t *text);

// 100 ns ticks since 1601 <-> seconds since 1970 (UTC).
std::int64_t fileTimeToUnixSeconds(FileTime time);
FileTime unixToFileTime(std::int64_t seconds, std::uint32_t nanoseconds = 0);

// Owns one PROPVARIANT: zeroed before every use as an out parameter, its BSTR freed afterwards.
class PropVariant
{
public:
    PropVariant();
    ~PropVariant();
    PropVariant(const PropVariant &) = delete;
    PropVariant &operator=(const PropVariant &) = delete;

    // Clears the value and hands the library a zeroed variant to fill.
    RawPropVariant *out();
    const RawPropVariant &raw() const { return m_value; }
    VARTYPE type() const { return m_value.vt; }
    bool isEmpty() const { return m_value.vt == vt::empty; }
    void clear();

    // Conversions answer nothing when the type does not fit.
    std::optional<std::uint64_t> toUInt64() const;
    std::optional<std::uint32_t> toUInt32() const;
    std::optional<bool> toBool() const;
    std::optional<FileTime> toFileTime() const;
    std::optional<std::u16string> toUtf16() const;

    void setBool(bool value);
    void setUInt32(std::uint32_t value);
    void setUInt64(std::uint64_t value);
    void setFileTime(FileTime value);
    void setString(std::u16string_view value);

    // Moves the value into a variant the library owns and will clear.
    void moveTo(RawPropVariant *target);

private:
    RawPropVariant m_value;
};

// Fills a library-owned variant (which arrives zeroed or cleared).
void setBool(RawPropVariant *target, bool value);
void setUInt32(RawPropVariant *target, std::uint32_t value);
void setUInt64(RawPropVariant *target, std::uint64_t value);
void setFileTime(RawPropVariant *target, FileTime value);
void setString(RawPropVariant *target, std::u16string_view value);

}  // namespace orv::sz
