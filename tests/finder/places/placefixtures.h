#pragma once

#include <QString>
#include <QStringList>

namespace orv::test {

// Creates an SQLite database file (and its folders) and runs the statements in it; false on any error.
bool makeDatabase(const QString &path, const QStringList &statements);

// The two SugarSync databases under the local application-data folder, naming these folders.
bool makeSugarSyncDatabases(const QString &localData, const QStringList &folders);

}  // namespace orv::test
