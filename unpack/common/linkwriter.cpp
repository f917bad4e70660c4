#include "linkwriter.h"

#include "platform/prompts.h"
#include "unpack/common/entrynames.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/safefs.h"
#include "unpack/common/unpackcontext.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

const QString &errorCaption()
{
    static const QString caption = QStringLiteral("Error Unpacking File");
    return caption;
}

EntryLinkResult refusePointingOutside(const QString &linkPath)
{
    showError(QStringLiteral("The link \"%1\" points outside the target folder and was not unpacked.").arg(linkPath),
              errorCaption());
    return EntryLinkResult::Refused;
}

EntryLinkResult refuseLyingOutside(const QString &linkPath)
{
    showError(outsideTargetMessage(linkPath), errorCaption());
    return EntryLinkResult::Refused;
}

// Where a link goes: its folder, opened as a file's would be, and its name there.
struct LinkPlace
{
    std::shared_ptr<const safefs::Fd> folder;
    QByteArray name;
    QString entryPath;
    QString fullPath;
};

// Refused when the way to the folder leads through a symbolic link; other failures are noted.
EntryLinkResult openPlace(UnpackContext &context, const QString &targetFolder, const QString &relative,
                          LinkPlace &place)
{
    if (!context.createFolder(targetFolder))
        return EntryLinkResult::Failed;
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    const QStringView folders = QStringView(relative).first(std::max<qsizetype>(slash, 0));
    place.name = entryNameBytes(QStringView(relative).sliced(slash + 1));
    place.entryPath = relative;
    place.fullPath = *safeOutputPath(targetFolder, relative);
    const safefs::WalkResult result = context.openEntryFolder(targetFolder, folders, place.folder);
    const int systemError = errno;
    switch (result) {
    case safefs::WalkResult::Ok:
        return EntryLinkResult::Created;
    case safefs::WalkResult::ThroughLink:
        return EntryLinkResult::Refused;
    case safefs::WalkResult::NotAFolder:
    case safefs::WalkResult::NameTooLong:
    case safefs::WalkResult::CannotCreate:
        break;
    }
    context.noteWalkFailure(relative, result, systemError);
    return EntryLinkResult::Failed;
}

EntryLinkResult failed(const UnpackContext &context, const LinkPlace &place)
{
    if (errno == ENAMETOOLONG)
        context.noteSkipped(place.entryPath, QStringLiteral("its name is too long for the file system"));
    else
        context.noteFailed(place.entryPath, QStringLiteral("it cannot be created: %1")
                                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return EntryLinkResult::Failed;
}

// Makes the link with make(name) at its place. Anything already there goes through the replace
// question; the link is then made under a temporary name and renamed over it, so that a failure leaves
// the old item as it was. A folder is never replaced.
template <typename Make>
EntryLinkResult putInPlace(UnpackContext &context, const LinkPlace &place, const ArchivedFile &item, Make make)
{
    const int folder = place.folder->get();
    struct stat existing{};
    if (::fstatat(folder, place.name.constData(), &existing, AT_SYMLINK_NOFOLLOW) != 0)
        return make(place.name) ? EntryLinkResult::Created : failed(context, place);
    if (S_ISDIR(existing.st_mode)) {
        context.noteSkipped(place.entryPath, QStringLiteral("a folder of that name is in the way"));
        return EntryLinkResult::Failed;
    }
    switch (context.confirmReplace(place.fullPath, item)) {
    case ReplaceDecision::Write:
        break;
    case ReplaceDecision::Skip:
        context.noteKept(place.entryPath);
        return EntryLinkResult::Skipped;
    case ReplaceDecision::Cancel:
        return EntryLinkResult::Cancelled;
    }
    const QByteArray temporary = safefs::temporaryName();
    if (!make(temporary))
        return failed(context, place);
    const bool moved = ::renameat(folder, temporary.constData(), folder, place.name.constData()) == 0;
    const int reason = errno;
    // Two names of one file stay both after a rename between them: the temporary one goes here.
    ::unlinkat(folder, temporary.constData(), 0);
    errno = reason;
    return moved ? EntryLinkResult::Created : failed(context, place);
}

bool isWrittenFile(const LinkPlace &place, const WrittenFile &written)
{
    struct stat st{};
    return ::fstatat(place.folder->get(), place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
           && S_ISREG(st.st_mode) && st.st_dev == written.device && st.st_ino == written.inode;
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

EntryLinkResult createSymbolicLink(UnpackContext &context, const QString &targetFolder, const QString &linkPath,
                                   const QString &target, const ArchivedFile &item)
{
    const std::optional<QString> relative = safeRelativePath(linkPath);
    if (!relative || !linkStaysInside(*relative, target))
        return refusePointingOutside(linkPath);
    LinkPlace place;
    const EntryLinkResult opened = openPlace(context, targetFolder, *relative, place);
    if (opened == EntryLinkResult::Refused)
        return refusePointingOutside(linkPath);
    if (opened != EntryLinkResult::Created)
        return opened;
    const QByteArray text = entryNameBytes(target);
    const EntryLinkResult result = putInPlace(context, place, item, [&](const QByteArray &name) {
        return ::symlinkat(text.constData(), place.folder->get(), name.constData()) == 0;
    });
    if (result == EntryLinkResult::Created)
        context.updateFileTree(place.fullPath);
    return result;
}

EntryLinkResult createHardLink(UnpackContext &context, const QString &targetFolder, const QString &linkPath,
                               const WrittenFile &source, const ArchivedFile &item)
{
    const std::optional<QString> relative = safeRelativePath(linkPath);
    if (!relative)
        return refuseLyingOutside(linkPath);
    LinkPlace from;
    if (openPlace(context, targetFolder, source.entryPath, from) != EntryLinkResult::Created
        || !isWrittenFile(from, source)) {
        context.noteSkipped(*relative, QStringLiteral("the file it links to is no longer there as it was unpacked"));
        return EntryLinkResult::Failed;
    }
    LinkPlace place;
    const EntryLinkResult opened = openPlace(context, targetFolder, *relative, place);
    if (opened == EntryLinkResult::Refused)
        return refuseLyingOutside(linkPath);
    if (opened != EntryLinkResult::Created)
        return opened;
    // No flag: a name that became a symbolic link since the check is linked as that link, never followed.
    const EntryLinkResult result = putInPlace(context, place, item, [&](const QByteArray &name) {
        return ::linkat(from.folder->get(), from.name.constData(), place.folder->get(), name.constData(), 0) == 0;
    });
    if (result == EntryLinkResult::Created)
        context.updateFileTree(place.fullPath);
    return result;
}

}  // namespace orv
