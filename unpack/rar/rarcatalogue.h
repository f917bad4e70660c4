#pragma once

// The file headers of a RAR archive or volume set, read whole through 7z.so's Rar and Rar5 handlers,
// which list what libarchive cannot: solid RAR 4 archives past their first file and archives whose
// headers are encrypted, given the password.

#include "unpack/rar/rarheader.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace orv::rar {

struct Catalogue
{
    QStringList volumes;  // the files of the set in order, the first one first
    bool rar5 = false;
    std::vector<RarHeader> headers;
    // The volume the set breaks off at: the headers end before the archive does.
    std::optional<QString> missingVolume;
    // Why the headers end before the archive does, in a sentence; empty when they were read whole.
    QString damage;
};

enum class CatalogueStatus { Ok, LibraryMissing, NotRar, Damaged, NeedsPassword, WrongPassword, CannotRead };

struct CatalogueResult
{
    CatalogueStatus status = CatalogueStatus::Ok;
    QString errorText;
    std::shared_ptr<const Catalogue> catalogue;
};

// A password is used only when the headers are encrypted; stubAllowed lets the archive start behind a
// self-extracting program.
CatalogueResult readCatalogue(const QString &path, bool rar5, bool stubAllowed,
                              const std::optional<QString> &password);

// The version needed to extract for a RAR5 entry, from the method text 7-Zip gives it ("v6:m3:1M" is
// the 5.0 algorithm, "v7:..." the 7.0 one); 50 when the text does not say.
std::uint32_t rar5VersionFromMethod(const QString &method);
// 0x30 + the level digit after "m" ("m3:20" is 0x33); 0x30 when the text does not say.
std::uint32_t methodFromText(const QString &method);

}  // namespace orv::rar
