#include "bookmarkmover.h"

#include "finder/bookmarks/bookmarkfile.h"
#include "platform/fileattributes.h"
#include "platform/numbers.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace orv {

namespace {

const QString kMoveCaption = QStringLiteral("Error Moving File");

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : resolved;
}

// The folder that holds an entry, resolved, while a link itself stays a name in its folder.
QString canonicalParent(const QString &path)
{
    return canonical(QFileInfo(path).absolutePath());
}

bool isRealFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

// rename() puts the moved file in the place of the existing one in one step, so that a failure leaves
// both where they were.
bool renameOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void describe(const QString &path, QString &size, QString &modified, QString &detail)
{
    const QFileInfo info(path);
    size = QStringLiteral("size: %1 bytes").arg(formatNumber64(std::uint64_t(info.size())));
    modified = QStringLiteral("modified: ") + localTimeTextComma(info.lastModified().toSecsSinceEpoch());
    detail = readBookmark(path).path;
}

}  // namespace

bool CBookmarkMover::canDropInto(const QString &source, const QString &targetFolder)
{
    if (!isRealFolder(source))
        return true;
    const QString folder = canonical(source);
    const QString target = canonical(targetFolder);
    return target != folder && !target.startsWith(folder + QLatin1Char('/'));
}

bool CBookmarkMover::MoveInto(const QStringList &sources, const QString &targetFolder)
{
    for (const QString &source : sources) {
        if (moveOne(source, targetFolder) == Step::Stop)
            return false;
    }
    return true;
}

CBookmarkMover::Step CBookmarkMover::moveOne(const QString &source, const QString &targetFolder)
{
    const QFileInfo info(source);
    if (!info.exists() && !info.isSymLink())
        return Step::Next;
    if (canonicalParent(source) == canonical(targetFolder))
        return Step::Next;
    if (!canDropInto(source, targetFolder)) {
        showError(QStringLiteral("Cannot move the folder '%1' into itself or into one of its sub-folders.")
                      .arg(info.fileName()),
                  kMoveCaption);
        return Step::Next;
    }
    const QString target = targetFolder + QLatin1Char('/') + info.fileName();
    const QFileInfo existing(target);
    const bool taken = existing.exists() || existing.isSymLink();
    // Only a bookmark may take the place of a bookmark: a folder in the way, or a folder moved onto any
    // name, would take other bookmarks with it.
    if (taken && !isRealFolder(source) && !existing.isDir())
        return replace(source, target);
    if (taken || !renameOver(source, target))
        showError(QStringLiteral("Cannot move the file."), kMoveCaption);
    return Step::Next;
}

CBookmarkMover::Step CBookmarkMover::replace(const QString &source, const QString &target)
{
    const Kind kind = kindOf(target);
    if (!m_yesToAll.count(kind)) {
        static const QString messages[] = {
            QStringLiteral("This folder already contains a file named"),
            QStringLiteral("This folder already contains a system file named"),
            QStringLiteral("This folder already contains a read-only file named"),
            QStringLiteral("This folder already contains a hidden file named"),
        };
        ReplaceQuestion question;
        question.message = messages[static_cast<int>(kind)];
        question.quotedName = QLatin1Char('\'') + QFileInfo(target).fileName() + QStringLiteral("'.");
        describe(target, question.existingSize, question.existingModified, question.existingDetail);
        describe(source, question.newSize, question.newModified, question.newDetail);
        question.existingPath = target;
        question.newName = QFileInfo(source).fileName();
        switch (prompter().confirmReplace(question)) {
        case ReplaceAnswer::Yes:
            break;
        case ReplaceAnswer::YesToAll:
            m_yesToAll.insert(kind);
            break;
        case ReplaceAnswer::No:
            return Step::Next;
        case ReplaceAnswer::Cancel:
            return Step::Stop;
        }
    }
    if (!renameOver(source, target))
        showError(QStringLiteral("Cannot move the file."), kMoveCaption);
    return Step::Next;
}

CBookmarkMover::Kind CBookmarkMover::kindOf(const QString &path)
{
    const std::uint32_t attributes = fileAttributes(path);
    if (attributes & Attr::System)
        return Kind::System;
    if (attributes & Attr::ReadOnly)
        return Kind::ReadOnly;
    if (attributes & Attr::Hidden)
        return Kind::Hidden;
    return Kind::Plain;
}

}  // namespace orv
