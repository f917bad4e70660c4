#include "packpaths.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace orv::zip {

namespace {

QString joined(const QString &archiveFolder, const QString &relative)
{
    QString folder = archiveFolder;
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    while (folder.startsWith(QLatin1Char('/')))
        folder.remove(0, 1);
    return folder.isEmpty() ? relative : folder + QLatin1Char('/') + relative;
}

QString withoutLeadingSeparators(QString path)
{
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return path;
}

// The part of a path that goes into the archive: below base's parent, or the whole path.
QString storedPart(const QString &absolutePath, const QString &baseParent, bool withoutPaths)
{
    if (withoutPaths)
        return QDir(baseParent).relativeFilePath(absolutePath);
    return withoutLeadingSeparators(QDir::cleanPath(absolutePath));
}

void collect(const QString &folder, const QString &baseParent, bool withoutPaths, const QString &archiveFolder,
             bool recurse, std::vector<PackItem> &items)
{
    QDir dir(folder);
    const QFileInfoList children =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    std::vector<QFileInfo> subfolders;
    for (const QFileInfo &child : children) {
        if (child.isDir() && !child.isSymLink()) {
            subfolders.push_back(child);
        } else if (child.isFile() && !child.isDir()) {
            const QString path = child.absoluteFilePath();
            items.push_back({path, joined(archiveFolder, storedPart(path, baseParent, withoutPaths)), false});
        }
    }
    if (!recurse)
        return;
    for (const QFileInfo &child : subfolders) {
        const QString path = child.absoluteFilePath();
        items.push_back({path, joined(archiveFolder, storedPart(path, baseParent, withoutPaths)), true});
        collect(path, baseParent, withoutPaths, archiveFolder, recurse, items);
    }
}

}  // namespace

QString packedFilePath(const QString &file, bool withoutPaths, const QString &archiveFolder)
{
    const QFileInfo info(file);
    const QString relative = withoutPaths ? info.fileName() : withoutLeadingSeparators(QDir::cleanPath(info.absoluteFilePath()));
    return joined(archiveFolder, relative);
}

std::vector<PackItem> packedFolderItems(const QString &folder, const QString &base, bool withoutPaths,
                                        const QString &archiveFolder, bool recurse)
{
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString baseParent = QFileInfo(QDir::cleanPath(QFileInfo(base).absoluteFilePath())).absolutePath();
    std::vector<PackItem> items;
    items.push_back({absolute, joined(archiveFolder, storedPart(absolute, baseParent, withoutPaths)), true});
    collect(absolute, baseParent, withoutPaths, archiveFolder, recurse, items);
    return items;
}

}  // namespace orv::zip
