#pragma once

#include <QString>

#include <optional>

namespace orv {

class CArchiveAccess;

// What the properties dialogs of an item inside an archive show, cut out of the reader's description.
struct ArchiveItemProperties
{
    bool folder = false;
    QString name;
    QString location;  // the containing folder, as a virtual path
    QString size;
    QString packed;
    QString ratio;
    QString files;    // folders only
    QString folders;  // folders only
    QString modified;  // files only
    QString crc;       // files only
    QString method;    // files only
};

// The properties of the item at a virtual path inside an archive; none when the path is no item inside
// an archive or the archive cannot be opened.
std::optional<ArchiveItemProperties> ReadItemProperties(CArchiveAccess &access, const QString &virtualPath);

// The value after a label in a description such as "Modified - 01/02/26, 10:11:12, Size - 5 bytes": from
// three characters after the label to where the next known label begins, or to the end. Values may hold
// ", " themselves (a date and time in some locales), so only a known label ends one. Empty when the label
// is missing.
QString valueOfLabel(const QString &text, const QString &label);

}  // namespace orv
