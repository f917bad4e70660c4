#include "linkwriter.h"

#include "platform/prompts.h"
#include "unpack/common/entrynames.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/safefs.h"
#include "unpack/common/unpackcontext.h"

#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::zip {

namespace {

LinkResult refuse(const QString &linkPath)
{
    showError(QStringLiteral("The link \"%1\" points outside the target folder and was not unpacked.").arg(linkPath),
              QStringLiteral("Error Unpacking File"));
    return LinkResult::Refused;
}

// Clears the way for the link: true when nothing is at the name (any more).
LinkResult makeRoom(UnpackContext &context, const safefs::Fd &folder, const QByteArray &name,
                    const QString &fullPath, const ArchivedFile &item)
{
    struct stat existing{};
    if (::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) != 0)
        return LinkResult::Created;
    if (S_ISDIR(existing.st_mode))
        return LinkResult::Failed;
    switch (context.confirmReplace(fullPath, item)) {
    case ReplaceDecision::Write:
        break;
    case ReplaceDecision::Skip:
        return LinkResult::Skipped;
    case ReplaceDecision::Cancel:
        return LinkResult::Cancelled;
    }
    return ::unlinkat(folder.get(), name.constData(), 0) == 0 ? LinkResult::Created : LinkResult::Failed;
}

}  // namespace

bool linkStaysInside(const QString &linkPath, const QString &target)
{
    if (target.isEmpty() || target.startsWith(QLatin1Char('/')) || target.contains(QChar(0)))
        return false;
    qsizetype depth = linkPath.count(QLatin1Char('/'));
    bool climbing = true;
    for (const QString &part : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part != QLatin1String("..")) {
            climbing = false;
            continue;
        }
        if (!climbing || --depth < 0)
            return false;
    }
    return true;
}

LinkResult createSymbolicLink(UnpackContext &context, const QString &targetFolder, const QString &linkPath,
                              const QString &target, const ArchivedFile &item)
{
    const std::optional<QString> relative = safeRelativePath(linkPath);
    if (!relative || !linkStaysInside(*relative, target))
        return refuse(linkPath);
    if (!context.createFolder(targetFolder))
        return LinkResult::Failed;
    QStringList folders = relative->split(QLatin1Char('/'));
    const QByteArray name = entryNameBytes(folders.takeLast());
    const safefs::Fd root = safefs::openTarget(targetFolder);
    safefs::Fd folder;
    const auto created = [&context](const QString &path) { context.updateFileTree(path); };
    switch (safefs::walkFolders(root, targetFolder, folders, true, created, folder)) {
    case safefs::WalkResult::Ok:
        break;
    case safefs::WalkResult::ThroughLink:
        return refuse(linkPath);
    case safefs::WalkResult::NotAFolder:
    case safefs::WalkResult::CannotCreate:
        return LinkResult::Failed;
    }
    const QString fullPath = *safeOutputPath(targetFolder, *relative);
    const LinkResult room = makeRoom(context, folder, name, fullPath, item);
    if (room != LinkResult::Created)
        return room;
    if (::symlinkat(entryNameBytes(target).constData(), folder.get(), name.constData()) != 0)
        return LinkResult::Failed;
    context.updateFileTree(fullPath);
    return LinkResult::Created;
}

}  // namespace orv::zip
