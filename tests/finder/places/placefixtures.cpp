#include "placefixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <memory>

namespace orv::test {

namespace {
struct DbCloser
{
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};
}  // namespace

bool makeDatabase(const QString &path, const QStringList &statements)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open(QFile::encodeName(path).constData(), &raw);
    const std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (rc != SQLITE_OK)
        return false;
    for (const QString &sql : statements) {
        if (sqlite3_exec(db.get(), sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return false;
    }
    return true;
}

// The data store names root folders by object ids whose "p" value is the id of the client's file-system
// record; that record's "p" value is the folder. Each folder gets ids of its own, plus a non-root object
// that must not be picked up.
bool makeSugarSyncDatabases(const QString &localData, const QStringList &folders)
{
    QStringList datastore{
        "create table ScDatastoreObject (id integer, typename text)",
        "create table ScBase (id integer, p text)",
        "insert into ScDatastoreObject values (999, 'ScCollection.ScFolder.')",
        "insert into ScBase values (999, 'ds-other')",
    };
    QStringList fslink{
        "create table ScFsInfo (id integer, dsid text)",
        "create table ScBase (id integer, p text)",
        "insert into ScFsInfo values (9999, 'ds-other')",
        "insert into ScBase values (9999, '/not/a/root')",
    };
    for (int i = 0; i < folders.size(); ++i) {
        const QString folder = QString(folders[i]).replace('\'', "''");
        datastore << QStringLiteral("insert into ScDatastoreObject values (%1, "
                                    "'ScCollection.ScFolder.ScRootFolder.')").arg(i + 1)
                  << QStringLiteral("insert into ScBase values (%1, 'ds-%1')").arg(i + 1);
        fslink << QStringLiteral("insert into ScFsInfo values (%1, 'ds-%2')").arg(100 + i).arg(i + 1)
               << QStringLiteral("insert into ScBase values (%1, '%2')").arg(100 + i).arg(folder);
    }
    const QString base = localData + QStringLiteral("/SugarSync");
    return makeDatabase(base + QStringLiteral("/lvol.db/default_db.sqlite"), datastore) &&
           makeDatabase(base + QStringLiteral("/fslink.db/default_db.sqlite"), fslink);
}

}  // namespace orv::test
