#pragma once

#include <QByteArray>
#include <QString>

namespace orv::zip {

// 7z.so decodes a name that lacks the UTF-8 flag with the process locale. Under a UTF-8 locale a byte
// that is no part of a valid sequence comes back as U+EF00 + byte; under other locales every byte comes
// back as the character of the same number. This undoes either, giving the bytes the archive stored.
QByteArray storedNameBytes(const QString &decoded, bool utf8Locale);

// Bytes of the IBM PC character set (code page 437), the one DOS and Windows archivers use for names
// without the UTF-8 flag.
QString fromCp437(const QByteArray &bytes);

// The name to show for an entry without the UTF-8 flag: bytes that form valid UTF-8 are taken as such,
// since Info-ZIP's zip on Unix stores UTF-8 without setting the flag; anything else is code page 437.
QString nameWithoutUtf8Flag(const QString &decoded, bool utf8Locale);

// Whether the C library's character set, which 7z.so decodes with, is UTF-8.
bool localeIsUtf8();

}  // namespace orv::zip
