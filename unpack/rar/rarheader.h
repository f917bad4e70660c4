#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace orv::rar {

// Header flag bits as the UnRAR interface reports them.
namespace HeaderFlag {
constexpr std::uint32_t SplitBefore = 0x01;
constexpr std::uint32_t SplitAfter = 0x02;
constexpr std::uint32_t Encrypted = 0x04;
constexpr std::uint32_t Solid = 0x10;
constexpr std::uint32_t Directory = 0x20;
}  // namespace HeaderFlag

// Archive flag bits of the open record.
namespace ArchiveFlag {
constexpr std::uint32_t Volume = 0x01;
constexpr std::uint32_t Solid = 0x08;
constexpr std::uint32_t FirstVolume = 0x0100;
constexpr std::uint32_t EncryptedHeaders = 0x80;
}  // namespace ArchiveFlag

// One file header, with the numbers of UnRAR's extended header record and what this build needs to
// decide whether and how the data can be had.
struct RarHeader
{
    QString fileName;  // "/"-separated, no leading separator
    std::uint32_t flags = 0;
    std::uint32_t unpVer = 0;  // version needed to extract, major * 10 + minor
    std::uint32_t method = 0;  // 0x30 (stored) to 0x35 (best)
    std::uint32_t fileTime = 0;  // DOS date in the high half, local time; 0 when none is stored
    std::uint32_t fileCrc = 0;
    std::uint64_t packSize = 0;
    std::uint64_t unpSize = 0;
    std::uint32_t fileAttr = 0;  // Windows bits; with 0x8000 the Unix mode in the high half
    std::optional<std::int64_t> modified;  // seconds since 1970
    bool crcKnown = false;
    QString symlinkTarget;
    QString hardlinkTarget;

    bool isDirectory() const { return flags & HeaderFlag::Directory; }
    bool isEncrypted() const { return flags & HeaderFlag::Encrypted; }
    bool isSolid() const { return flags & HeaderFlag::Solid; }
    bool splitAfter() const { return flags & HeaderFlag::SplitAfter; }
    bool splitBefore() const { return flags & HeaderFlag::SplitBefore; }
};

}  // namespace orv::rar
