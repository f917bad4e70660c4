#include "bookmarkfile.h"

#include "platform/knownfolders.h"
#include "platform/product.h"
#include "platform/profile.h"

#include <QDir>
#include <QFileInfo>

namespace orv {

namespace {

const QString kSection = QStringLiteral("ArchiveBookmark");
const QString kType = QStringLiteral("Type");
const QString kIcon = QStringLiteral("Icon");
const QString kPath = QStringLiteral("Path");
const QString kExtension = QStringLiteral(".obk");

}  // namespace

QString bookmarksRootPath()
{
    return applicationDataFolder() + QLatin1Char('/') + organizationName() + QLatin1Char('/') + productName()
        + QStringLiteral("/Bookmarks/Archive Bookmarks");
}

void EnsureBookmarksRoot(const QString &root)
{
    const QFileInfo info(root);
    if (root.isEmpty() || (info.isDir() && !info.isSymLink()))
        return;
    QDir().mkpath(root);
}

bool StoreHasEntries(const QString &root)
{
    return !root.isEmpty()
        && !QDir(root).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

bool isBookmarkFileName(const QString &fileName)
{
    return fileName.endsWith(kExtension, Qt::CaseInsensitive);
}

QString bookmarkLabel(const QString &fileName)
{
    return isBookmarkFileName(fileName) ? fileName.left(fileName.size() - kExtension.size()) : fileName;
}

QString bookmarkFilePath(const QString &folder, const QString &label)
{
    return folder + QLatin1Char('/') + label + kExtension;
}

bool hasForbiddenNameCharacter(const QString &name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return true;
    }
    return false;
}

QString forbiddenFolderNameText()
{
    return QStringLiteral("A folder name cannot contain any of the following characters:\n\\ / : * ? \" < > |");
}

QString forbiddenFileNameText()
{
    return QStringLiteral("A file name cannot contain any of the following characters:\n\\ / : * ? \" < > |");
}

BookmarkRecord classifyTarget(const QString &targetPath, bool folderNode)
{
    const QFileInfo target(targetPath);
    if (!target.exists() && !target.isSymLink()) {
        return {BookmarkType::InsideArchive,
                folderNode ? BookmarkIcon::FolderInArchive : BookmarkIcon::FileInArchive, targetPath};
    }
    if (target.isDir())
        return {BookmarkType::DiskFolder, BookmarkIcon::DiskFolder, targetPath};
    return {BookmarkType::ArchiveFile, BookmarkIcon::DiskFile, targetPath};
}

QString defaultBookmarkLabel(const QString &targetPath)
{
    const QString name = targetPath.mid(targetPath.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

BookmarkRecord readBookmark(const QString &filePath)
{
    PrivateProfile profile(filePath);
    profile.beginBatch();
    BookmarkRecord record;
    record.type = profile.readInt(kSection, kType, BookmarkType::ArchiveFile);
    record.icon = profile.readInt(kSection, kIcon, BookmarkIcon::Unknown);
    // The whole value: paths here are often longer than the 259 characters a fixed buffer would keep, and
    // a cut path leads nowhere.
    record.path = profile.readString(kSection, kPath, QStringLiteral("Empty"));
    profile.discardBatch();
    return record;
}

bool writeBookmark(const QString &filePath, const BookmarkRecord &record)
{
    PrivateProfile profile(filePath);
    profile.beginBatch();
    profile.writeString(kSection, kType, QString::number(record.type));
    profile.writeString(kSection, kIcon, QString::number(record.icon));
    profile.writeString(kSection, kPath, record.path);
    return profile.commitBatch();
}

}  // namespace orv
