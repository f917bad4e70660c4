#pragma once

// The binary conventions of 7-Zip's archive library as built for Linux: fixed-width integer types, the
// GUID and PROPVARIANT layouts, result codes and the numbering of properties. Declared here rather than
// taken from 7-Zip's headers so that nothing of ours lands in the global namespace, where 7z.so would
// bind its own internal calls to it.

#include <cstddef>
#include <cstdint>

namespace orv::sz {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using UInt32 = std::uint32_t;
using Int32 = std::int32_t;
using UInt64 = std::uint64_t;
using Int64 = std::int64_t;
using PROPID = std::uint32_t;
using VARTYPE = std::uint16_t;
// The library's wide characters are 4 bytes here, each carrying one UTF-16 code unit.
using BSTR = wchar_t *;

struct Guid
{
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];

    friend bool operator==(const Guid &, const Guid &) = default;
};
static_assert(sizeof(Guid) == 16);

// Every interface and format of the library shares this pattern; only two bytes tell them apart.
constexpr Guid libraryGuid(std::uint16_t data3, std::uint8_t group, std::uint8_t sub)
{
    return Guid{0x23170F69, 0x40C1, data3, {0, 0, 0, group, 0, sub, 0, 0}};
}
constexpr Guid interfaceId(std::uint8_t group, std::uint8_t sub) { return libraryGuid(0x278A, group, sub); }
// The class id of an archive format: {23170F69-40C1-278A-1000-000110ff0000}.
constexpr Guid formatClassId(std::uint8_t formatId)
{
    return Guid{0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, formatId, 0x00, 0x00}};
}

namespace hr {
constexpr HRESULT ok = 0;
constexpr HRESULT falseResult = 1;
constexpr HRESULT notImplemented = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT noInterface = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT abort = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT fail = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT outOfMemory = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT invalidArg = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT negativeSeek = static_cast<HRESULT>(0x80070083u);
constexpr HRESULT classNotAvailable = static_cast<HRESULT>(0x80040111u);

// The library reports Unix errors as 0x8800xxxx with the errno in the low half.
constexpr HRESULT fromErrno(int error)
{
    return static_cast<HRESULT>(0x88000000u | (static_cast<std::uint32_t>(error) & 0xFFFFu));
}
constexpr bool isErrno(HRESULT result) { return (static_cast<std::uint32_t>(result) & 0xFFFF0000u) == 0x88000000u; }
constexpr int errnoOf(HRESULT result) { return static_cast<int>(static_cast<std::uint32_t>(result) & 0xFFFFu); }
}  // namespace hr

namespace vt {
constexpr VARTYPE empty = 0;
constexpr VARTYPE bstr = 8;
constexpr VARTYPE boolean = 11;
constexpr VARTYPE ui1 = 17;
constexpr VARTYPE ui2 = 18;
constexpr VARTYPE ui4 = 19;
constexpr VARTYPE i8 = 20;
constexpr VARTYPE ui8 = 21;
constexpr VARTYPE filetime = 64;
}  // namespace vt

struct FileTime
{
    std::uint32_t low;
    std::uint32_t high;
};

// 16 bytes: the type, three reserved words (the first carries a time's precision), then the value.
struct RawPropVariant
{
    VARTYPE vt;
    std::uint16_t reserved1;
    std::uint16_t reserved2;
    std::uint16_t reserved3;
    union {
        std::int8_t cVal;
        std::uint8_t bVal;
        std::int16_t iVal;
        std::uint16_t uiVal;
        std::int32_t lVal;
        std::uint32_t ulVal;
        std::int64_t hVal;
        std::uint64_t uhVal;
        std::int16_t boolVal;  // -1 true, 0 false
        FileTime filetime;
        BSTR bstrVal;
    };
};
static_assert(sizeof(RawPropVariant) == 16);
static_assert(offsetof(RawPropVariant, uhVal) == 8);

// Property ids of items and archives (7-Zip's numbering).
namespace pid {
constexpr PROPID name = 4;  // of a handler or of a volume
constexpr PROPID path = 3;
constexpr PROPID isDir = 6;
constexpr PROPID size = 7;
constexpr PROPID packSize = 8;
constexpr PROPID attrib = 9;
constexpr PROPID cTime = 10;
constexpr PROPID aTime = 11;
constexpr PROPID mTime = 12;
constexpr PROPID solid = 13;
constexpr PROPID encrypted = 15;
constexpr PROPID crc = 19;
constexpr PROPID isAnti = 21;
constexpr PROPID method = 22;
constexpr PROPID block = 27;
constexpr PROPID comment = 28;
constexpr PROPID offset = 36;
constexpr PROPID numBlocks = 38;
constexpr PROPID phySize = 44;
constexpr PROPID headersSize = 45;
constexpr PROPID characts = 47;
constexpr PROPID errorFlags = 71;
constexpr PROPID warningFlags = 72;
constexpr PROPID embeddedStubSize = 88;
constexpr PROPID readOnly = 93;
}  // namespace pid

// Property ids of the handler table (GetHandlerProperty2).
namespace hpid {
constexpr PROPID name = 0;
constexpr PROPID classId = 1;
constexpr PROPID extension = 2;
constexpr PROPID addExtension = 3;
constexpr PROPID update = 4;
}  // namespace hpid

// Bits of the archive property errorFlags after an open.
namespace errflag {
constexpr UInt32 isNotArc = 1u << 0;
constexpr UInt32 headersError = 1u << 1;
constexpr UInt32 encryptedHeadersError = 1u << 2;
constexpr UInt32 unavailableStart = 1u << 3;
constexpr UInt32 unconfirmedStart = 1u << 4;
constexpr UInt32 unexpectedEnd = 1u << 5;
constexpr UInt32 dataAfterEnd = 1u << 6;
constexpr UInt32 unsupportedMethod = 1u << 7;
constexpr UInt32 unsupportedFeature = 1u << 8;
constexpr UInt32 dataError = 1u << 9;
constexpr UInt32 crcError = 1u << 10;
}  // namespace errflag

// What the library means to do with an item's data when it asks for an output stream.
enum class AskMode : Int32 { Extract = 0, Test = 1, Skip = 2, ReadExternal = 3 };

// The result the library reports per extracted item.
enum class OpResult : Int32 {
    Ok = 0,
    UnsupportedMethod = 1,
    DataError = 2,
    CrcError = 3,
    Unavailable = 4,
    UnexpectedEnd = 5,
    DataAfterEnd = 6,
    IsNotArc = 7,
    HeadersError = 8,
    WrongPassword = 9,
};

// Stream seek origins.
enum class SeekOrigin : UInt32 { Set = 0, Current = 1, End = 2 };

}  // namespace orv::sz
