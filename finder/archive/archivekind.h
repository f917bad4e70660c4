#pragma once

#include <QString>

namespace orv {

// The integer code of an archive kind. The numbers are stored by callers (found-file records, bookmarks),
// so they never change.
using ArchiveKindCode = int;

namespace ArchiveKind {
constexpr ArchiveKindCode None = 0;
constexpr ArchiveKindCode Zip = 1;
constexpr ArchiveKindCode Cab = 2;
constexpr ArchiveKindCode Jar = 3;
constexpr ArchiveKindCode Rar = 4;
constexpr ArchiveKindCode Ace = 5;  // recognised by name, never opened
constexpr ArchiveKindCode SevenZip = 6;
constexpr ArchiveKindCode Xap = 7;
constexpr ArchiveKindCode GZip = 8;
constexpr ArchiveKindCode Tar = 9;
constexpr ArchiveKindCode SevenZipVolumes = 10;  // first volume ".001" of a split 7z set
constexpr ArchiveKindCode BZip2 = 11;
constexpr ArchiveKindCode Iso = 12;
constexpr ArchiveKindCode Custom = 13;  // an enabled custom extension, read as ZIP
constexpr ArchiveKindCode Xz = 14;
constexpr ArchiveKindCode SelfExtractingZip = 100;
}  // namespace ArchiveKind

// The kinds read by the ZIP reader: only they carry a detailed error text.
bool isZipGroup(ArchiveKindCode kind);
// GZip, BZip2 and XZ: a single compressed stream, which may hold a tar.
bool isCompressedStreamKind(ArchiveKindCode kind);

// The kind of a built-in extension (upper case, no dot), before custom entries and "EXE" are looked at;
// ArchiveKind::None when the extension is not one of them. "XZ" and "TXZ" are not among them: a custom
// entry for those takes precedence.
ArchiveKindCode builtInKindOfExtension(const QString &upperExtension);
// "XZ" or "TXZ".
bool isXzExtension(const QString &upperExtension);

}  // namespace orv
