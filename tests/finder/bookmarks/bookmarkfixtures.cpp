#include "bookmarkfixtures.h"

#include "finder/bookmarks/bookmarkfile.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QFileInfo>

namespace orv::test {

void layOutStore(const QString &root, const QStringList &entries)
{
    QDir().mkpath(root);
    for (const QString &entry : entries) {
        if (entry.endsWith(QLatin1Char('/'))) {
            QDir().mkpath(root + QLatin1Char('/') + entry);
            continue;
        }
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        const QString path = root + QLatin1Char('/') + entry.left(eq);
        if (eq < 0) {
            writeFile(path, QByteArray());
            continue;
        }
        QDir().mkpath(QFileInfo(path).path());
        writeBookmark(path, {BookmarkType::ArchiveFile, BookmarkIcon::DiskFile, entry.mid(eq + 1)});
    }
}

QStringList storeSnapshot(const QString &root)
{
    QStringList out;
    for (const QString &relative : tree(root).keys()) {
        if (isBookmarkFileName(QFileInfo(relative).fileName()))
            out << relative + QLatin1Char('=') + readBookmark(root + QLatin1Char('/') + relative).path;
        else
            out << relative;
    }
    out.sort();
    return out;
}

}  // namespace orv::test
