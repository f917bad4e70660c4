#include "placeroots.h"

#include "finder/places/places.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace orv {

namespace {

// The sub-folders of a link folder (links to folders count; a link whose folder is gone does not), by
// name without regard to case.
QStringList subFolders(const QString &folder)
{
    if (folder.isEmpty())
        return {};
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        paths.append(folder + QLatin1Char('/') + name);
    std::stable_sort(paths.begin(), paths.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return paths;
}

const PlaceDef *placeForLink(const QString &linkPath, PlaceGroup group)
{
    const QString name = QFileInfo(linkPath).fileName();
    for (const PlaceDef &def : placeTable()) {
        if (def.group == group && name.compare(QLatin1String(def.linkName), Qt::CaseInsensitive) == 0)
            return &def;
    }
    return nullptr;
}

void resolveSugarSync(PlaceRoots &roots, const QString &programFolder)
{
    const QString linkFolder = sugarSyncLinkFolderPath(programFolder);
    for (const QString &link : subFolders(linkFolder)) {
        const QString target = QFileInfo(link).canonicalFilePath();
        if (target.isEmpty())
            continue;
        roots.sugarSyncItems.push_back({link, target, false, {}});
        roots.sugarSyncFolders.append(target.toLower());
        roots.sugarSyncLinkPaths.append(link);
    }
    if (!roots.sugarSyncFolders.isEmpty())
        roots.sugarSyncLinkFolder = linkFolder;
}

// The folder a root stands for, or empty when the place gets no root.
QString rootTarget(const PlaceDef &def, const SettingsValues &values, const PlaceRoots &roots)
{
    if (!(values.*def.enabled))
        return {};
    if (def.place == Place::SugarSync)
        return roots.sugarSyncLinkFolder;
    const QString folder = configuredFolder(values.*def.folder);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void addRoots(PlaceRoots &roots, const SettingsValues &values, const QString &programFolder, PlaceGroup group)
{
    QList<Place> seen;
    for (const QString &link : subFolders(linkFolderPath(programFolder, group))) {
        const PlaceDef *def = placeForLink(link, group);
        if (!def || seen.contains(def->place))
            continue;
        const QString target = rootTarget(*def, values, roots);
        if (target.isEmpty())
            continue;
        seen.append(def->place);
        roots.roots.push_back({link, target, false, {}});
    }
}

}  // namespace

PlaceRoots ResolvePlaceRoots(const SettingsValues &values, const QString &programFolder)
{
    PlaceRoots roots;
    roots.anyCloudEnabled = anyEnabled(values, PlaceGroup::Cloud);
    roots.anySpecialEnabled = anyEnabled(values, PlaceGroup::Special);
    if (values.bEnableSugarSync)
        resolveSugarSync(roots, programFolder);
    if (roots.anyCloudEnabled)
        addRoots(roots, values, programFolder, PlaceGroup::Cloud);
    if (roots.anySpecialEnabled)
        addRoots(roots, values, programFolder, PlaceGroup::Special);
    return roots;
}

}  // namespace orv
