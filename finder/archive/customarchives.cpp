#include "customarchives.h"

namespace orv {

CustomArchiveEntry parseCustomArchiveEntry(const QString &entry)
{
    CustomArchiveEntry out;
    const qsizetype equals = entry.lastIndexOf(QLatin1Char('='));
    if (equals < 0)
        return out;
    const qsizetype hash = entry.lastIndexOf(QLatin1Char('#'), equals);
    if (hash < 0)
        return out;
    out.description = entry.left(hash);
    out.extension = entry.mid(hash + 1, equals - hash - 1);
    out.enabled = entry.mid(equals + 1) == QLatin1String("1");
    out.valid = true;
    return out;
}

bool isCustomArchiveEnabled(const QStringList &entries, const QString &upperExtension)
{
    if (upperExtension.isEmpty())
        return false;
    for (const QString &text : entries) {
        const CustomArchiveEntry entry = parseCustomArchiveEntry(text);
        if (entry.valid && entry.enabled && entry.extension.toUpper() == upperExtension)
            return true;
    }
    return false;
}

}  // namespace orv
