#pragma once

#include <QString>

#include <cstdint>

namespace orv {

// Windows attribute bits as archives record them; applied here as far as they map.
namespace Attr {
constexpr std::uint32_t ReadOnly = 0x01;
constexpr std::uint32_t Hidden = 0x02;
constexpr std::uint32_t System = 0x04;
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Archive = 0x20;
constexpr std::uint32_t Normal = 0x80;
// A 7z attribute word with this bit carries the Unix mode in its high 16 bits.
constexpr std::uint32_t UnixExtension = 0x8000;
}  // namespace Attr

// Attributes of a path without following a final symbolic link; 0xFFFFFFFF when it does not exist
// (the Windows INVALID_FILE_ATTRIBUTES convention). Normal alone when no other bit applies.
constexpr std::uint32_t InvalidAttributes = 0xFFFFFFFFu;
std::uint32_t fileAttributes(const QString &path);

// Clears read-only, hidden and system as far as they exist here (gives the owner write permission).
bool clearSpecialAttributes(const QString &path);
// Applies an archived attribute word: read-only, and the Unix mode when the extension bit is set (its
// permission bits only). A symbolic link is left as it is.
bool applyArchivedAttributes(const QString &path, std::uint32_t attributes);

// Birth time where the file system records it, else the last status change; seconds since 1970, 0 when
// the path does not exist.
std::int64_t creationTime(const QString &path);

}  // namespace orv
