#pragma once

#include <QString>
#include <QStringList>

namespace orv {

// One entry of the custom archive list as the settings keep it: "description#EXT=flag". The description
// may itself hold "#" and "=", so the extension is the text between the last "#" and the last "=".
struct CustomArchiveEntry
{
    QString description;
    QString extension;  // as written, not upper-cased
    bool enabled = false;  // the flag is exactly "1"
    bool valid = false;    // there is a "#" before the last "="
};

CustomArchiveEntry parseCustomArchiveEntry(const QString &entry);

// Whether an enabled entry names the extension (upper case, no dot).
bool isCustomArchiveEnabled(const QStringList &entries, const QString &upperExtension);

}  // namespace orv
