#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;

namespace orv {

// Reads another program's SQLite database without ever writing to it or creating it. Every failure (no
// file, not a database, a missing table or column) comes back as an empty answer.
class SqliteReader
{
public:
    explicit SqliteReader(const QString &path);

    bool isOpen() const { return m_db != nullptr; }
    // The first column of each row, as a number or as text; values that are neither valid UTF-8 text nor
    // a number are left out. The parameter, when given, is bound to the statement's single "?", so a value
    // read from the database can be fed back into the next query as it is.
    QList<QVariant> firstColumn(const char *sql, const QVariant &parameter = {}) const;

private:
    struct Closer
    {
        void operator()(sqlite3 *db) const;
    };
    std::unique_ptr<sqlite3, Closer> m_db;
};

// Strict UTF-8 without NUL characters, or an empty string: a path taken from a file of another program
// must be whole or not at all.
QString textFromUtf8(QByteArrayView bytes);

}  // namespace orv
