#include "bookmarkedits.h"

#include "finder/bookmarks/bookmarkfile.h"
#include "platform/fileattributes.h"
#include "platform/numbers.h"
#include "platform/prompts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace orv {

namespace {

const QString kRenameFolderCaption = QStringLiteral("Error Renaming Folder");
const QString kRenameFileCaption = QStringLiteral("Error Renaming File");

bool entryExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString quoted(const QString &name, const QString &end)
{
    return QStringLiteral(" '") + name + QLatin1Char('\'') + end;
}

// The attribute that makes a file worth a second look, in the order the questions name them.
QString specialFileWord(const QString &path)
{
    const std::uint32_t attributes = fileAttributes(path);
    if (attributes == InvalidAttributes)
        return {};
    if (attributes & Attr::System)
        return QStringLiteral("system ");
    if (attributes & Attr::ReadOnly)
        return QStringLiteral("read-only ");
    if (attributes & Attr::Hidden)
        return QStringLiteral("hidden ");
    return {};
}

FileConfirmation fileQuestion(const QString &caption, const QString &question, const QString &path)
{
    const QFileInfo info(path);
    FileConfirmation confirmation;
    confirmation.caption = caption;
    confirmation.question = question;
    confirmation.path = path;
    confirmation.firstInfo = QStringLiteral("size: %1 bytes").arg(formatNumber64(std::uint64_t(info.size())));
    confirmation.secondInfo =
        QStringLiteral("modified: ") + localTimeTextComma(info.lastModified().toSecsSinceEpoch());
    return confirmation;
}

// Renames a folder or a file without replacing anything that took the name meanwhile.
bool moveEntry(const QString &from, const QString &to)
{
    if (entryExists(to))
        return false;
    return QFileInfo(from).isDir() && !QFileInfo(from).isSymLink() ? QDir().rename(from, to)
                                                                    : QFile::rename(from, to);
}

}  // namespace

QString RenameBookmarkFolder(const QString &folderPath, const QString &newName)
{
    if (newName.isEmpty()) {
        showError(QStringLiteral("You must specify a folder name."), kRenameFolderCaption);
        return {};
    }
    if (hasForbiddenNameCharacter(newName)) {
        showError(forbiddenFolderNameText(), kRenameFolderCaption);
        return {};
    }
    const QFileInfo folder(folderPath);
    if (folder.fileName().compare(newName, Qt::CaseInsensitive) == 0)
        return {};
    const QString target = folder.path() + QLatin1Char('/') + newName;
    if (entryExists(target)) {
        showError(QStringLiteral("A folder with this name already exists. Specify a different name."),
                  kRenameFolderCaption);
        return {};
    }
    if (!moveEntry(folderPath, target)) {
        showError(QStringLiteral("Cannot rename the folder."), kRenameFolderCaption);
        return {};
    }
    return target;
}

QString RenameBookmarkFile(const QString &filePath, const QString &newLabel)
{
    if (newLabel.isEmpty()) {
        showError(QStringLiteral("You must specify a file name."), kRenameFileCaption);
        return {};
    }
    if (hasForbiddenNameCharacter(newLabel)) {
        showError(forbiddenFileNameText(), kRenameFileCaption);
        return {};
    }
    const QFileInfo file(filePath);
    const QString target = bookmarkFilePath(file.path(), newLabel);
    const QString newName = QFileInfo(target).fileName();
    if (file.fileName().compare(newName, Qt::CaseInsensitive) == 0)
        return {};
    if (entryExists(target)) {
        showError(QStringLiteral("A file with this name already exists. Specify a different name."),
                  kRenameFileCaption);
        return {};
    }
    const QString special = specialFileWord(filePath);
    if (!special.isEmpty()) {
        FileConfirmation question = fileQuestion(
            QStringLiteral("Confirm File Rename"),
            QStringLiteral("Are you sure you want to rename the %1file").arg(special), filePath);
        question.quotedName = quoted(file.fileName(), QString());
        question.secondLine = QStringLiteral("to '") + newName + QStringLiteral("'?");
        if (!prompter().confirmFile(question))
            return {};
    }
    if (!moveEntry(filePath, target)) {
        showError(QStringLiteral("Cannot rename the file."), kRenameFileCaption);
        return {};
    }
    return target;
}

bool DeleteBookmarkFile(const QString &filePath)
{
    const QFileInfo file(filePath);
    QString special = specialFileWord(filePath);
    FileConfirmation question =
        fileQuestion(QStringLiteral("Confirm File Delete"),
                     QStringLiteral("Are you sure you want to delete the %1file").arg(special), filePath);
    question.quotedName = quoted(file.fileName(), QStringLiteral("?"));
    if (!prompter().confirmFile(question))
        return false;
    if (!QFile::remove(filePath)) {
        showError(QStringLiteral("Cannot delete the file."), QStringLiteral("Error Deleting File"));
        return false;
    }
    return true;
}

int countFolderObjects(const QString &folderPath)
{
    int count = 0;
    QDirIterator entries(folderPath, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        entries.next();
        ++count;
    }
    return count;
}

bool DeleteBookmarkFolder(const QString &folderPath)
{
    FileConfirmation question;
    question.caption = QStringLiteral("Confirm Folder Delete");
    question.question = QStringLiteral("Are you sure you want to delete the folder");
    question.quotedName = quoted(QFileInfo(folderPath).fileName(), QStringLiteral(" and all its contents?"));
    question.path = folderPath;
    question.firstInfo = QStringLiteral("objects: %1").arg(countFolderObjects(folderPath));
    question.secondInfo = QStringLiteral("created: ") + localTimeTextComma(creationTime(folderPath));
    if (!prompter().confirmFile(question))
        return false;
    // A link to a folder is a link here: removing it leaves the folder it points to alone.
    const bool removed = QFileInfo(folderPath).isSymLink() ? QFile::remove(folderPath)
                                                           : QDir(folderPath).removeRecursively();
    if (!removed) {
        showError(QStringLiteral("Cannot delete the folder."), QStringLiteral("Error Deleting Folder"));
        return false;
    }
    return true;
}

QString CreateNewBookmarkFolder(const QString &parent)
{
    const QString base = QStringLiteral("New Folder");
    for (int counter = 0;; ++counter) {
        const QString name = counter == 0 ? base : base + QLatin1Char(' ') + QString::number(counter);
        const QString candidate = parent + QLatin1Char('/') + name;
        const QFileInfo info(candidate);
        if (info.isDir())
            continue;
        if (entryExists(candidate) || !QDir().mkdir(candidate))
            break;
        return candidate;
    }
    showError(QStringLiteral("Cannot create the folder."), QStringLiteral("Error Creating Folder"));
    return {};
}

}  // namespace orv
