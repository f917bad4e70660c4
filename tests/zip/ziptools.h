#pragma once

// Archives made at test time with the 7z and zip tools, and their verdicts as the oracle.

#include "tests/support/tools.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace orv::test {

// Files of a small tree: text, incompressible and empty files, nested folders; plus the empty folder
// "sub/emptydir". Paths relative to root.
QMap<QString, QByteArray> sampleTree();
bool writeTree(const QString &root, const QMap<QString, QByteArray> &files);

// "7z t" with the password (an empty one when none is given); true when every item tests OK.
bool sevenZipTests(const QString &archive, const QString &password = {});

// Replaces every occurrence of from by to (same length) in a file.
bool patchFile(const QString &path, const QByteArray &from, const QByteArray &to);

}  // namespace orv::test
