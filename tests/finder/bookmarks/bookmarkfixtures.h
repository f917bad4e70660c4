#pragma once

#include <QString>
#include <QStringList>

namespace orv::test {

// A store laid out from lines: "dir/" a folder, "dir/name.obk=/target" a bookmark with that Path, and
// "name" alone a file with no content. Paths are relative to the root.
void layOutStore(const QString &root, const QStringList &entries);
// Every folder and file below the root, sorted, in the same notation ("=" and the Path for bookmarks).
QStringList storeSnapshot(const QString &root);

}  // namespace orv::test
