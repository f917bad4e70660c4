#pragma once

// Archives made at test time with the 7z and zip command-line tools.

#include "tests/support/tools.h"
#include "unpack/sevenzip/sevenziparchive.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orv::test {

// A small tree: text, incompressible and empty files, an empty folder, a nested folder and a name outside
// the BMP. Returns the relative paths of the files (folders not included).
QStringList makeSourceTree(const QString &root);

// Every file of an open archive written below folder through the callback the readers extract with; false
// when the library or the callback reported a failure.
bool extractEverything(const sz::SevenZipArchive &archive, const QString &folder,
                       const std::optional<QString> &password = {});

}  // namespace orv::test
