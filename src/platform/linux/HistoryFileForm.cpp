#include "platform/linux/HistoryFileForm.h"

#include "core/Logging.h"
#include "platform/linux/SqliteHistoryStore.h"

#include <QUrl>

#include <sqlite3.h>

namespace {

QString errorOf(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace

std::optional<qint64> HistoryFileForm::queryInteger(sqlite3 *db, const char *sql, QString *error)
{
    sqlite3_stmt *query = nullptr;
    std::optional<qint64> value;
    if (sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK) {
        const int code = sqlite3_step(query);
        if (code == SQLITE_ROW)
            value = sqlite3_column_int64(query, 0);
        else if (code == SQLITE_DONE)
            value = 0;
    }
    if (!value)
        *error = errorOf(db);
    sqlite3_finalize(query);
    return value;
}

// Nothing in it at all, no mark and no table: what a creation that was cut off leaves (SQLite
// rolls the unfinished one back on opening). Nothing can be lost by making it the history.
std::optional<bool> HistoryFileForm::isBlank(sqlite3 *db, QString *error)
{
    const std::optional<qint64> mark = queryInteger(db, "PRAGMA application_id", error);
    const std::optional<qint64> version = mark ? queryInteger(db, "PRAGMA user_version", error) : std::nullopt;
    const std::optional<qint64> objects = version ? queryInteger(db, "SELECT count(*) FROM sqlite_master", error) : std::nullopt;
    if (!objects)
        return std::nullopt;
    return *mark == 0 && *version == 0 && *objects == 0;
}

bool HistoryFileForm::isWhole(sqlite3 *db, QString *problem)
{
    sqlite3_stmt *query = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &query, nullptr) != SQLITE_OK) {
        *problem = errorOf(db);
        return false;
    }
    const int code = sqlite3_step(query);
    const QString answer = code == SQLITE_ROW
        ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, 0)))
        : errorOf(db);
    sqlite3_finalize(query);
    if (answer == QStringLiteral("ok"))
        return true;
    *problem = answer;
    return false;
}

bool HistoryFileForm::isTarnelHistory(sqlite3 *db, const QString &path, QString *error)
{
    const std::optional<qint64> mark = queryInteger(db, "PRAGMA application_id", error);
    if (!mark)
        return false;
    if (*mark != 0 && *mark != SqliteHistoryStore::kApplicationId) {
        *error = QStringLiteral("not a Tarnel history (it is marked as another program's)");
        return false;
    }
    // Exactly the columns this store writes; a table of another form under the same name is
    // another program's.
    const std::optional<qint64> columns = queryInteger(
        db, "SELECT count(*) FROM pragma_table_info('history') WHERE name IN ('id', 'position', 'record')", error);
    const std::optional<qint64> allColumns =
        columns ? queryInteger(db, "SELECT count(*) FROM pragma_table_info('history')", error) : std::nullopt;
    if (!allColumns)
        return false;
    if (*columns != 3 || *allColumns != 3) {
        *error = *mark == SqliteHistoryStore::kApplicationId ? QStringLiteral("its history table is missing")
                                                             : QStringLiteral("not a Tarnel history");
        return false;
    }
    if (*mark == 0) {
        // Written before files were marked: the table says it is ours. Marked now, so that
        // a file that later loses the table is told from a foreign one. A busy file is marked
        // on a later start.
        const QByteArray adopt = QStringLiteral("PRAGMA application_id=%1; PRAGMA user_version=%2;")
                                     .arg(SqliteHistoryStore::kApplicationId)
                                     .arg(SqliteHistoryStore::kSchemaVersion)
                                     .toUtf8();
        if (sqlite3_exec(db, adopt.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
            qCInfo(lcPlatform).noquote() << "history database" << path << "was marked as a Tarnel history";
        else
            qCWarning(lcPlatform).noquote() << "history database could not be marked yet:" << errorOf(db);
    }
    return true;
}

bool HistoryFileForm::holdsReadableHistory(const QString &path)
{
    // Immutable: SQLite takes no lock, makes no index, folds no log in and reads the database
    // file alone, whose first commit (the table and the mark) never goes through the log.
    const QByteArray uri = "file:" + QUrl::toPercentEncoding(path, "/") + "?immutable=1";
    sqlite3 *db = nullptr;
    bool readable = sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW,
                                    nullptr)
        == SQLITE_OK;
    QString error;
    if (readable) {
        const std::optional<qint64> mark = queryInteger(db, "PRAGMA application_id", &error);
        const std::optional<qint64> columns = queryInteger(
            db, "SELECT count(*) FROM pragma_table_info('history') WHERE name IN ('id', 'position', 'record')", &error);
        readable = mark && (*mark == 0 || *mark == SqliteHistoryStore::kApplicationId) && columns == 3
            && queryInteger(db, "SELECT count(*) FROM history", &error).has_value();
    }
    sqlite3_close_v2(db);
    return readable;
}
