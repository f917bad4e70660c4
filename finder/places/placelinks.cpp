#include "placelinks.h"

#include "finder/places/locators.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <filesystem>
#include <system_error>

namespace orv {

namespace fs = std::filesystem;

namespace {

class PlaceLinks
{
    Q_DECLARE_TR_FUNCTIONS(PlaceLinks)
};

fs::path toPath(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

QString fromPath(const fs::path &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

bool isPlainFolder(const QString &folder)
{
    std::error_code error;
    return !folder.isEmpty() && fs::is_directory(fs::symlink_status(toPath(folder), error));
}

bool usableLinkName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/'));
}

LinkOutcome outcome(LinkResult result, const QString &linkPath, const std::error_code &error = {})
{
    return {result, linkPath, error ? QString::fromLocal8Bit(error.message()) : QString()};
}

bool sameTarget(const fs::path &link, const fs::path &target)
{
    std::error_code error;
    const fs::path current = fs::read_symlink(link, error);
    return !error && current == target;
}

// Every link inside the folder goes; anything else in it stays, and so does the folder then.
void removeLinksInside(const QString &folder, ApplyPlacesResult &result)
{
    if (!isPlainFolder(folder))
        return;
    std::error_code error;
    const fs::path path = toPath(folder);
    for (const fs::directory_entry &entry : fs::directory_iterator(path, error)) {
        std::error_code entryError;
        if (entry.is_symlink(entryError))
            fs::remove(entry.path(), entryError);
        if (entryError)
            result.problems.append({Place::SugarSync, outcome(LinkResult::Failed, fromPath(entry.path()), entryError)});
    }
}

void notePlaceProblem(ApplyPlacesResult &result, Place place, const LinkOutcome &linkOutcome)
{
    if (!linkOutcome.ok())
        result.problems.append({place, linkOutcome});
}

void applyFolderPlace(const PlaceDef &def, SettingsValues &values, const QString &programFolder,
                      const PlaceChoice &choice, ApplyPlacesResult &result)
{
    const QString linkFolder = linkFolderPath(programFolder, def.group);
    const QString linkPath = linkFolder + QLatin1Char('/') + QLatin1String(def.linkName);
    values.*def.enabled = choice.enabled;
    if (!choice.enabled) {
        values.*def.folder = QStringLiteral("Empty");
        // A link folder that is itself a link is not ours to reach through.
        if (isPlainFolder(linkFolder))
            notePlaceProblem(result, def.place, removeDirectoryLink(linkPath));
        return;
    }
    const QString folder = choice.folder.trimmed();
    values.*def.folder = folder.isEmpty() ? QStringLiteral("Empty") : folder;
    notePlaceProblem(result, def.place, makeDirectoryLink(linkFolder, QLatin1String(def.linkName), folder));
}

void applySugarSync(SettingsValues &values, const QString &programFolder, const PlaceChoice &choice,
                    ApplyPlacesResult &result)
{
    const QString linkFolder = sugarSyncLinkFolderPath(programFolder);
    values.bEnableSugarSync = choice.enabled;
    if (linkFolder.isEmpty())
        return;
    // Links from an earlier confirmation may name folders SugarSync no longer has.
    removeLinksInside(linkFolder, result);
    if (!choice.enabled) {
        std::error_code error;
        if (isPlainFolder(linkFolder) && fs::is_empty(toPath(linkFolder), error))
            fs::remove(toPath(linkFolder), error);
        return;
    }
    if (!ensureLinkFolder(linkFolder)) {
        result.problems.append({Place::SugarSync, outcome(LinkResult::BadLinkFolder, linkFolder)});
        return;
    }
    result.sugarSyncFolders = LocateSugarSyncFolders();
    QSet<QString> names;
    for (const QString &folder : std::as_const(result.sugarSyncFolders)) {
        const QString name = QFileInfo(QDir::cleanPath(folder)).fileName();
        if (names.contains(name)) {
            result.problems.append({Place::SugarSync, outcome(LinkResult::Occupied, linkFolder + '/' + name)});
            continue;
        }
        names.insert(name);
        notePlaceProblem(result, Place::SugarSync, makeDirectoryLink(linkFolder, name, folder));
    }
    if (!result.sugarSyncFolders.isEmpty())
        result.sugarSyncLinkFolder = linkFolder;
}

}  // namespace

bool ensureLinkFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(toPath(folder), error);
    if (fs::exists(status))
        return fs::is_directory(status);
    return QDir().mkpath(folder);
}

LinkOutcome makeDirectoryLink(const QString &linkFolder, const QString &name, const QString &target)
{
    const QString linkPath = linkFolder + QLatin1Char('/') + name;
    if (!usableLinkName(name) || target.isEmpty() || !QDir::isAbsolutePath(target))
        return outcome(LinkResult::NoFolder, linkPath);
    if (!ensureLinkFolder(linkFolder))
        return outcome(LinkResult::BadLinkFolder, linkFolder);

    const fs::path link = toPath(linkPath);
    const fs::path targetPath = toPath(QDir::cleanPath(target));
    std::error_code error;
    const fs::file_status status = fs::symlink_status(link, error);
    if (fs::is_symlink(status)) {
        if (sameTarget(link, targetPath))
            return outcome(LinkResult::Made, linkPath);
        if (!fs::remove(link, error))
            return outcome(LinkResult::Failed, linkPath, error);
    } else if (fs::exists(status)) {
        return outcome(LinkResult::Occupied, linkPath);
    }
    fs::create_directory_symlink(targetPath, link, error);
    return outcome(error ? LinkResult::Failed : LinkResult::Made, linkPath, error);
}

LinkOutcome removeDirectoryLink(const QString &linkPath)
{
    std::error_code error;
    const fs::path link = toPath(linkPath);
    const fs::file_status status = fs::symlink_status(link, error);
    if (!fs::exists(status) && !fs::is_symlink(status))
        return outcome(LinkResult::Removed, linkPath);
    if (!fs::is_symlink(status))
        return outcome(LinkResult::Occupied, linkPath);
    fs::remove(link, error);
    return outcome(error ? LinkResult::Failed : LinkResult::Removed, linkPath, error);
}

ApplyPlacesResult ApplyPlaceOptions(SettingsValues &values, const QString &programFolder,
                                    const PlaceChoices &choices)
{
    ApplyPlacesResult result;
    for (const PlaceDef &def : placeTable()) {
        const PlaceChoice &choice = choices[size_t(def.place)];
        if (values.*def.enabled != choice.enabled)
            result.changed.append(def.place);
        if (def.place == Place::SugarSync)
            applySugarSync(values, programFolder, choice, result);
        else
            applyFolderPlace(def, values, programFolder, choice, result);
    }
    return result;
}

QString describePlaceProblem(const PlaceProblem &problem)
{
    const QString name = QString::fromLatin1(placeDef(problem.place).displayName);
    const QString path = QDir::toNativeSeparators(problem.outcome.linkPath);
    switch (problem.outcome.result) {
    case LinkResult::Occupied:
        return PlaceLinks::tr("The link for %1 was not changed: %2 is not a link, so it was left as it is.")
            .arg(name, path);
    case LinkResult::NoFolder:
        return PlaceLinks::tr("The link for %1 was not made: no folder is set.").arg(name);
    case LinkResult::BadLinkFolder:
        return PlaceLinks::tr("The link for %1 was not made: %2 cannot hold links.").arg(name, path);
    case LinkResult::Failed:
        return PlaceLinks::tr("The link %2 for %1 cannot be changed: %3").arg(name, path, problem.outcome.error);
    case LinkResult::Made:
    case LinkResult::Removed:
        break;
    }
    return {};
}

}  // namespace orv
