#include "extractpaths.h"

#include "unpack/common/records.h"

#include <QStringList>

namespace orv {

namespace ExtractPaths {

QString forFile(const QString &itemPath, bool withoutPaths)
{
    return withoutPaths ? entryName(itemPath) : itemPath;
}

QString forFolderItem(const QString &itemPath, const QString &folderPath, bool withoutPaths)
{
    if (!withoutPaths)
        return itemPath;
    const QString above = entryParent(folderPath);
    if (above.isEmpty())
        return itemPath;
    const qsizetype prefix = above.size() + 1;
    if (itemPath.size() > prefix && itemPath.at(above.size()) == QLatin1Char('/') && itemPath.startsWith(above))
        return itemPath.mid(prefix);
    return itemPath;
}

QString forArchiveItem(const QString &itemPath, bool withoutPaths)
{
    return withoutPaths ? entryName(itemPath) : itemPath;
}

}  // namespace ExtractPaths

namespace {

// Nearly every entry path is already clean: relative, "/"-separated, without empty, "." or ".."
// components. It is then answered in one pass without splitting it.
bool isCleanRelative(QStringView path)
{
    if (path.isEmpty())
        return false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size()) {
            const QChar c = path[i];
            if (c.isNull() || c == QLatin1Char('\\'))
                return false;
            if (c != QLatin1Char('/'))
                continue;
        }
        const QStringView component = path.sliced(start, i - start);
        if (component.isEmpty() || component == u"." || component == u"..")
            return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

std::optional<QString> safeRelativePath(const QString &entryPath)
{
    if (isCleanRelative(entryPath))
        return entryPath;
    if (entryPath.contains(QChar(0)))
        return std::nullopt;
    QString unified = entryPath;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (unified.startsWith(QLatin1Char('/')))
        return std::nullopt;
    QStringList kept;
    for (const QString &component : unified.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (component == QLatin1String(".."))
            return std::nullopt;
        if (component != QLatin1String("."))
            kept << component;
    }
    if (kept.isEmpty())
        return std::nullopt;
    return kept.join(QLatin1Char('/'));
}

std::optional<QString> safeOutputPath(const QString &targetFolder, const QString &entryPath)
{
    const std::optional<QString> relative = safeRelativePath(entryPath);
    if (!relative)
        return std::nullopt;
    QString base = targetFolder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (base == QLatin1String("/"))
        return base + *relative;
    return base + QLatin1Char('/') + *relative;
}

QString outsideTargetMessage(const QString &entryPath)
{
    QString shown = entryPath;
    shown.replace(QChar(0), QLatin1Char('?'));
    return QStringLiteral("The item \"%1\" would be written outside the target folder and was not unpacked.")
        .arg(shown);
}

}  // namespace orv
