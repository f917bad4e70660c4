#include "addbookmark.h"

#include "finder/bookmarks/bookmarkfile.h"
#include "finder/bookmarks/bookmarkitems.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFileInfo>

namespace orv {

namespace {

void addFolders(std::vector<BookmarkFolderChoice> &choices, const QString &folder, int depth,
                QStringList &ancestors)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (ancestors.contains(canonical))
        return;
    ancestors.push_back(canonical);
    for (const CBookmarkItem &child : listBookmarkSubFolders(folder)) {
        choices.push_back({child.strFilePath, child.strLabel, depth});
        addFolders(choices, child.strFilePath, depth + 1, ancestors);
    }
    ancestors.pop_back();
}

}  // namespace

std::vector<BookmarkFolderChoice> bookmarkFolderChoices(const QString &root)
{
    std::vector<BookmarkFolderChoice> choices{{root, QFileInfo(root).fileName(), 0}};
    QStringList ancestors;
    addFolders(choices, root, 1, ancestors);
    return choices;
}

std::optional<QString> CreateBookmarkFolder(const QString &parent, const QString &name)
{
    const QString caption = QStringLiteral("Error Creating Folder");
    const QString trimmed = name.trimmed();
    if (hasForbiddenNameCharacter(trimmed)) {
        showError(forbiddenFolderNameText(), caption);
        return std::nullopt;
    }
    const QString path = parent + QLatin1Char('/') + trimmed;
    const QFileInfo existing(path);
    if (existing.exists() || existing.isSymLink()) {
        showError(QStringLiteral("A folder with this name already exists. Specify a different name."), caption);
        return std::nullopt;
    }
    if (trimmed.isEmpty() || !QDir().mkdir(path)) {
        showError(QStringLiteral("Cannot create the folder."), caption);
        return std::nullopt;
    }
    return path;
}

std::optional<QString> CheckNewBookmark(const QString &folder, const QString &label)
{
    const QString trimmed = label.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (hasForbiddenNameCharacter(trimmed)) {
        showError(forbiddenFileNameText(), QStringLiteral("Error Adding Label"));
        return std::nullopt;
    }
    const QString file = bookmarkFilePath(folder, trimmed);
    const QFileInfo existing(file);
    if ((existing.exists() || existing.isSymLink())
        && !askYesNo(QStringLiteral("A label with this name already exists. Replace the existent label with new?"),
                     QStringLiteral("Adding Label")))
        return std::nullopt;
    return file;
}

bool WriteNewBookmark(const QString &filePath, const QString &targetPath, bool folderNode)
{
    return writeBookmark(filePath, classifyTarget(targetPath, folderNode));
}

}  // namespace orv
