#include "records.h"

#include <QStringList>

namespace orv {

ItemNameParts splitItemPath(const QString &path)
{
    ItemNameParts parts;
    parts.name = entryName(path);
    const qsizetype dot = parts.name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        parts.title = parts.name;
    } else {
        parts.title = parts.name.left(dot);
        parts.extension = parts.name.mid(dot + 1);
    }
    return parts;
}

void fillNames(FILESHORTINFO &record, const QString &path)
{
    ItemNameParts parts = splitItemPath(path);
    record.strPath = path;
    record.strName = std::move(parts.name);
    record.strTitle = std::move(parts.title);
    record.strExtension = std::move(parts.extension);
}

namespace {

// Most names are already in the listing's form; they are then kept as they are, without a copy.
bool isNormalised(QStringView path)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != QLatin1Char('/')) {
            if (path[i] == QLatin1Char('\\'))
                return false;
            continue;
        }
        const qsizetype length = i - start;
        if (length == 0 || (length == 1 && path[start] == QLatin1Char('.')))
            return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

QString normaliseEntryPath(const QString &raw)
{
    if (isNormalised(raw))
        return raw;
    QString unified = raw;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList kept;
    for (const QString &component : unified.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (component != QLatin1String("."))
            kept << component;
    }
    return kept.join(QLatin1Char('/'));
}

QString entryParent(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QString entryName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

}  // namespace orv
