#include "sqlitereader.h"

#include <QFile>
#include <QStringDecoder>

#include <sqlite3.h>

namespace orv {

namespace {

// The clients keep a handful of rows in these tables; a damaged or hostile database gets no more than
// this much of our time.
constexpr int kMaxRows = 1000;
// Paths are short; longer values are not what the queries look for.
constexpr int kMaxValueBytes = 8192;

struct StatementFinalizer
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

bool bind(sqlite3_stmt *statement, const QVariant &parameter)
{
    if (!parameter.isValid())
        return true;
    if (parameter.typeId() == QMetaType::LongLong)
        return sqlite3_bind_int64(statement, 1, parameter.toLongLong()) == SQLITE_OK;
    const QByteArray text = parameter.toString().toUtf8();
    return sqlite3_bind_text(statement, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

QVariant columnValue(sqlite3_stmt *statement)
{
    switch (sqlite3_column_type(statement, 0)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(statement, 0)));
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(statement, 0));
        const int size = sqlite3_column_bytes(statement, 0);
        if (!data || size <= 0 || size > kMaxValueBytes)
            return {};
        const QString text = textFromUtf8(QByteArrayView(data, size));
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default:
        return {};
    }
}

}  // namespace

void SqliteReader::Closer::operator()(sqlite3 *db) const
{
    sqlite3_close(db);
}

SqliteReader::SqliteReader(const QString &path)
{
    if (path.isEmpty())
        return;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    // The handle exists even when opening failed and must be closed all the same.
    m_db.reset(db);
    if (rc != SQLITE_OK)
        m_db.reset();
}

QList<QVariant> SqliteReader::firstColumn(const char *sql, const QVariant &parameter) const
{
    if (!m_db)
        return {};
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql, -1, &raw, nullptr) != SQLITE_OK)
        return {};
    const Statement statement(raw);
    if (!statement || !bind(statement.get(), parameter))
        return {};
    QList<QVariant> values;
    int rows = 0;
    while (rows++ < kMaxRows && sqlite3_step(statement.get()) == SQLITE_ROW) {
        const QVariant value = columnValue(statement.get());
        if (value.isValid())
            values.append(value);
    }
    return values;
}

QString textFromUtf8(QByteArrayView bytes)
{
    if (bytes.contains('\0'))
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

}  // namespace orv
