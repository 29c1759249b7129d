#include "platform/linux/SqliteHistoryStore.h"

#include "core/Logging.h"
#include "core/PrivateFiles.h"
#include "core/XdgFolders.h"
#include "platform/linux/DamagedHistoryReader.h"
#include "platform/linux/HeldHistoryFiles.h"
#include "platform/linux/HistoryFileForm.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Run on a fresh file only: in any other file a missing table means the file is not (or no
// longer) the history, and creating one would hide that.
const char *const kSchema =
    "CREATE TABLE IF NOT EXISTS history ("
    " id TEXT PRIMARY KEY NOT NULL,"
    " position INTEGER NOT NULL,"
    " record BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS history_position ON history(position);";

const QString kLogSuffix = QStringLiteral("-wal");
const QString kIndexSuffix = QStringLiteral("-shm");

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString stampedName(const QString &path)
{
    return path + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
}

bool isDiskFull(int code)
{
    return (code & 0xff) == SQLITE_FULL || errno == ENOSPC;
}

} // namespace

struct SqliteHistoryStore::Connections {
    explicit Connections(const QString &path)
        : files(path)
    {
    }
    // Held for every call that opens, uses or closes a connection.
    std::mutex turn;
    // Held only to list, join or leave the members, never while waiting for anything: a
    // connection is made on the main thread while another one may keep its turn for as long as
    // the disk holds its read. A member leaves under its turn too, so a list taken under the turn
    // names no connection that is gone; one that joined since has nothing open.
    std::mutex membership;
    QList<SqliteHistoryStore *> members;

    QList<SqliteHistoryStore *> listed()
    {
        std::lock_guard lock(membership);
        return members;
    }
    // The files every connection of the store writes, as the store left them last.
    HeldHistoryFiles files;
};

SqliteHistoryStore::SqliteHistoryStore(QString filePath, std::chrono::milliseconds busyTimeout)
    : SqliteHistoryStore(filePath, busyTimeout, std::make_shared<Connections>(filePath))
{
}

SqliteHistoryStore::SqliteHistoryStore(QString filePath, std::chrono::milliseconds busyTimeout,
                                       std::shared_ptr<Connections> connections)
    : m_filePath(std::move(filePath))
    , m_busyTimeout(busyTimeout)
    , m_connections(std::move(connections))
{
    std::lock_guard lock(m_connections->membership);
    m_connections->members.append(this);
}

SqliteHistoryStore::~SqliteHistoryStore()
{
    std::lock_guard turn(m_connections->turn);
    close();
    std::lock_guard lock(m_connections->membership);
    m_connections->members.removeOne(this);
}

QString SqliteHistoryStore::defaultPath()
{
    return XdgFolders::dataHome() + QStringLiteral("/Tarnel/history.sqlite3");
}

QString SqliteHistoryStore::errorText() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("not open");
}

bool SqliteHistoryStore::execute(const char *sql, QString *error)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = message ? QString::fromUtf8(message) : errorText();
    sqlite3_free(message);
    return false;
}

SqliteHistoryStore::Opened SqliteHistoryStore::open(QString *error)
{
    if (m_db)
        return Opened::Yes;
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!PrivateFiles::makeFolder(folder, error))
        return Opened::Unavailable;
    // SQLite's no-follow open refuses a link anywhere in the path, and a data folder under a
    // linked home or ~/.local is common: the folder is taken by its resolved path, and only the
    // file, its log and its index are refused as links.
    const QString resolvedFolder = QFileInfo(folder).canonicalFilePath();
    if (resolvedFolder.isEmpty()) {
        *error = QStringLiteral("%1: the folder cannot be reached").arg(folder);
        return Opened::Unavailable;
    }
    const QString path = resolvedFolder + u'/' + QFileInfo(m_filePath).fileName();
    bool fresh = false;
    struct stat st { };
    if (::lstat(encoded(path).constData(), &st) == 0) {
        // A pipe would block the start, a link could lead to another user's file.
        if (!S_ISREG(st.st_mode)) {
            *error = QStringLiteral("not a regular file");
            return Opened::Unreadable;
        }
        fresh = st.st_size == 0;
    } else {
        // Created here, owner-only from the first byte; SQLite gives its log and index files
        // the same mode as the database.
        const int fd = ::open(encoded(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno != EEXIST) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            return Opened::Unavailable;
        }
        if (fd >= 0)
            ::close(fd);
        fresh = fd >= 0;
    }
    if (fresh)
        setAsideLogBesideAFreshFile();
    for (const QString &suffix : {kLogSuffix, kIndexSuffix}) {
        if (::lstat(encoded(path + suffix).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
            *error = QStringLiteral("its %1 file is not a regular file").arg(suffix);
            return Opened::Unreadable;
        }
    }
    PrivateFiles::restrictToOwner(path);
    if (sqlite3_open_v2(encoded(path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr)
        != SQLITE_OK) {
        return failedOpen(error);
    }
    sqlite3_busy_timeout(m_db, int(m_busyTimeout.count()));
    sqlite3_extended_result_codes(m_db, 1);
    // Until the file is known to be a Tarnel history, closing must not fold its log into it:
    // a log of another database would overwrite the rows for good.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    if (!fresh) {
        const std::optional<bool> blank = HistoryFileForm::isBlank(m_db, error);
        if (!blank)
            return failedOpen(error);
        if (*blank)
            qCInfo(lcPlatform).noquote() << "history database" << m_filePath
                                         << "holds nothing yet (its creation was cut off); it is created now";
        fresh = *blank;
    }
    if (fresh) {
        // The table, its index and the mark land together or not at all: a start killed on the
        // way leaves an empty database, never a marked one without its table or the reverse.
        const QByteArray create = QStringLiteral("BEGIN IMMEDIATE; %1 PRAGMA application_id=%2; PRAGMA user_version=%3; COMMIT;")
                                      .arg(QString::fromLatin1(kSchema))
                                      .arg(kApplicationId)
                                      .arg(kSchemaVersion)
                                      .toUtf8();
        if (!execute(create.constData(), error)) {
            execute("ROLLBACK", nullptr);
            return failedOpen(error);
        }
    } else if (!HistoryFileForm::isTarnelHistory(m_db, m_filePath, error)) {
        return failedOpen(error);
    }
    // Every commit is synced: what the user was told is kept survives a power cut too.
    if (!execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", error))
        return failedOpen(error);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    m_connections->files.noteOwnState();
    return Opened::Yes;
}

// Only a file that SQLite read and found to be no history (or no Tarnel history) is unreadable;
// a disk that is full, read-only, failing or locked by another program says nothing about the
// file, which is then left where it is and opened again on the next try.
SqliteHistoryStore::Opened SqliteHistoryStore::failedOpen(QString *error)
{
    Opened result = Opened::Unreadable;
    if (m_db) {
        if (error->isEmpty())
            *error = errorText();
        if (failureSaysNothingOfTheFile())
            result = Opened::Unavailable;
    } else {
        result = Opened::Unavailable;
    }
    if (m_db)
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    close();
    return result;
}

bool SqliteHistoryStore::failureSaysNothingOfTheFile() const
{
    switch (sqlite3_extended_errcode(m_db) & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_FULL:
    case SQLITE_NOMEM:
    case SQLITE_PERM:
    case SQLITE_INTERRUPT:
        return true;
    case SQLITE_CANTOPEN:
        // Refused by the no-follow open: the file became a link since it was looked at.
        return sqlite3_extended_errcode(m_db) != SQLITE_CANTOPEN_SYMLINK;
    default:
        return false;
    }
}

// A log beside an empty or new file belongs to no history in it: SQLite would apply it (making
// the file another database) or delete it. It is kept aside instead, with its index.
void SqliteHistoryStore::setAsideLogBesideAFreshFile()
{
    const QString log = m_filePath + kLogSuffix;
    struct stat st { };
    if (::lstat(encoded(log).constData(), &st) != 0)
        return;
    const QString aside = stampedName(m_filePath);
    // The fresh file is the store's own from now on, whatever was noted of the one before.
    m_connections->files.forget();
    ::rename(encoded(log).constData(), encoded(aside + kLogSuffix).constData());
    ::rename(encoded(m_filePath + kIndexSuffix).constData(), encoded(aside + kIndexSuffix).constData());
    qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "is empty but had a log beside it; the log"
                                    << "was moved to" << aside + kLogSuffix;
}

void SqliteHistoryStore::close(bool noteState)
{
    for (sqlite3_stmt **cached : {&m_upsert, &m_move, &m_remove}) {
        sqlite3_finalize(*cached);
        *cached = nullptr;
    }
    if (!m_db)
        return;
    // The last connection to close folds the log back into the file and removes both by their
    // names. Where the database at the path is no longer this store's own, those names are
    // another file's (or a folder's that took this one's place): the log stays where it is.
    HeldHistoryFiles &files = m_connections->files;
    const bool held = files.stateOf(HeldHistoryFiles::File::Database) == HeldHistoryFiles::State::Held;
    if (!held)
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    const QList<SqliteHistoryStore *> members = m_connections->listed();
    const bool last = std::none_of(members.cbegin(), members.cend(),
                                   [](const SqliteHistoryStore *member) { return member->m_db != nullptr; });
    if (held && noteState)
        files.noteOwnState(last);
}

void SqliteHistoryStore::reopen()
{
    std::lock_guard turn(m_connections->turn);
    closeEveryConnection();
    // Another folder at the path: its files are taken as they are.
    m_connections->files.forget();
}

HistoryFilesCheck SqliteHistoryStore::checkFiles()
{
    std::lock_guard turn(m_connections->turn);
    HistoryFilesCheck check;
    HeldHistoryFiles &files = m_connections->files;
    if (!files.noted() || files.restoreOwnModes())
        return check;
    check.change = files.change();
    using File = HeldHistoryFiles::File;
    using State = HeldHistoryFiles::State;
    // The database still at the path keeps what the run's own log holds, which an open connection
    // still reads when the log was deleted or moved over: folded in before the connections let go.
    const State log = files.stateOf(File::Log);
    if (files.stateOf(File::Database) == State::Held && (log == State::Missing || log == State::Replaced)) {
        for (SqliteHistoryStore *connection : m_connections->listed()) {
            if (connection->m_db) {
                QString error;
                if (!connection->execute("PRAGMA wal_checkpoint(FULL)", &error))
                    qCWarning(lcPlatform).noquote() << "the history's own log could not be folded in:" << error;
                break;
            }
        }
        // The fold is the run's own write into its own database, which stays at the path holding
        // every row: taken for another program's write, the database would be set aside and the
        // path left with nothing until the history is written again, all of it lost to a kill then.
        files.noteOwnState();
    }
    for (SqliteHistoryStore *connection : m_connections->listed()) {
        if (connection->m_db)
            sqlite3_db_config(connection->m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        connection->close(false);
    }
    check.setAside = files.letGo(stampedName(m_filePath));
    // The user is told whether what was found there was another history (a restored backup, a
    // sync) or something no history can be read from; its log and index went aside with it.
    for (const QString &aside : std::as_const(check.setAside)) {
        if (aside.endsWith(kLogSuffix) || aside.endsWith(kIndexSuffix))
            continue;
        if (HistoryFileForm::holdsReadableHistory(aside)) {
            for (const QString &suffix : {QString(), kLogSuffix, kIndexSuffix}) {
                if (check.setAside.contains(aside + suffix))
                    check.histories.append(aside + suffix);
            }
        }
    }
    // Said once the run let go: from then on a reader at the path finds no log of this run's
    // that it could fold into another file.
    qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "is no longer the file this run holds ("
                                    << check.change << "); the whole history is written at its path";
    for (const QString &aside : std::as_const(check.setAside))
        qCWarning(lcPlatform).noquote() << (check.histories.contains(aside) ? "another history" : "a file")
                                        << "found at the history's path was set aside whole:" << aside;
    check.renewed = true;
    return check;
}

bool SqliteHistoryStore::closeEveryConnection()
{
    bool closedAnother = false;
    for (SqliteHistoryStore *connection : m_connections->listed()) {
        closedAnother = closedAnother || (connection != this && connection->m_db);
        connection->close();
    }
    return closedAnother;
}

sqlite3_stmt *SqliteHistoryStore::statement(sqlite3_stmt *&cached, const char *sql)
{
    if (!cached && sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &cached, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_reset(cached);
    sqlite3_clear_bindings(cached);
    return cached;
}

bool SqliteHistoryStore::scan(const char *sql, StoredHistory &into, QSet<QString> &seen, QString *error)
{
    sqlite3_stmt *query = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &query, nullptr) != SQLITE_OK) {
        *error = errorText();
        return false;
    }
    int code = SQLITE_ROW;
    int malformed = 0;
    while ((code = sqlite3_step(query)) == SQLITE_ROW) {
        // Only the form this store writes; anything else is damage, not a record.
        if (sqlite3_column_type(query, 0) != SQLITE_TEXT || sqlite3_column_type(query, 1) != SQLITE_INTEGER
            || (sqlite3_column_type(query, 2) != SQLITE_BLOB && sqlite3_column_type(query, 2) != SQLITE_TEXT)) {
            ++malformed;
            continue;
        }
        StoredHistoryRow row;
        row.id = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, 0)),
                                   sqlite3_column_bytes(query, 0));
        row.position = sqlite3_column_int64(query, 1);
        const void *record = sqlite3_column_blob(query, 2);
        row.record = QByteArray(static_cast<const char *>(record), sqlite3_column_bytes(query, 2));
        if (seen.contains(row.id))
            continue;
        seen.insert(row.id);
        into.rows.append(std::move(row));
    }
    const bool ok = code == SQLITE_DONE && malformed == 0;
    if (code != SQLITE_DONE)
        *error = errorText();
    else if (malformed > 0)
        *error = QStringLiteral("%1 rows of a foreign form").arg(malformed);
    sqlite3_finalize(query);
    return ok;
}

StoredHistory SqliteHistoryStore::read()
{
    std::lock_guard turn(m_connections->turn);
    StoredHistory stored = readRows();
    // What was read is in memory now. Left open, the connection would keep the log's index as
    // it found it (read-only, if the disk was then) for the writer's connection too.
    close();
    return stored;
}

StoredHistory SqliteHistoryStore::readRows()
{
    StoredHistory stored;
    QString problem;
    switch (open(&problem)) {
    case Opened::Yes:
        break;
    case Opened::Unreadable:
        // A file whose header or first pages are damaged may still hold rows past them.
        return salvage(std::move(stored), problem);
    case Opened::Unavailable:
        // Nothing was read and nothing is set aside: the writer opens the file again when it
        // next writes, and what it holds is read whole at the next start.
        qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "could not be opened:" << problem;
        stored.complete = false;
        stored.problem = problem;
        return stored;
    }
    // A read cut off by the disk or by another program says nothing of the file either: among
    // others, a log deleted under the program still writing it leaves its index telling of
    // commits no reader finds. The file stays where it is and is read whole later.
    const auto unavailable = [&] {
        qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "could not be read now:" << problem;
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        close();
        StoredHistory none;
        none.complete = false;
        none.problem = problem;
        return none;
    };
    QSet<QString> seen;
    if (scan("SELECT id, position, record FROM history ORDER BY position DESC", stored, seen, &problem)) {
        // Every row read whole does not make the file whole: a damaged page the rows never
        // touch (the free list, an index's inner page) refuses the first write, and the copies
        // of the run would then wait for a file that never takes them.
        if (HistoryFileForm::isWhole(m_db, &problem))
            return stored;
        if (failureSaysNothingOfTheFile())
            return unavailable();
        return startAfresh(std::move(stored), problem);
    }
    if (failureSaysNothingOfTheFile())
        return unavailable();
    // Damage in the position index or in a page: every row the table still yields is kept, the
    // rows past a bad page too, in their order.
    stored.rows.clear();
    return salvage(std::move(stored), problem);
}

StoredHistory SqliteHistoryStore::salvage(StoredHistory stored, const QString &problem)
{
    // Read on a connection of its own, which never folds the log into the file.
    if (m_db)
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    close();
    const QString resolvedFolder = QFileInfo(QFileInfo(m_filePath).absolutePath()).canonicalFilePath();
    std::optional<DamagedHistoryReader::Result> recovered;
    // Only a regular file, with a log and an index that are regular files or absent: a link
    // could lead to another user's file, a pipe would hold the start.
    const auto isPlainOrAbsent = [](const QString &path) {
        struct stat st { };
        return ::lstat(encoded(path).constData(), &st) != 0 ? errno == ENOENT : S_ISREG(st.st_mode);
    };
    const QString path = resolvedFolder + u'/' + QFileInfo(m_filePath).fileName();
    if (!resolvedFolder.isEmpty() && QFileInfo(path).isFile() && isPlainOrAbsent(path)
        && isPlainOrAbsent(path + kLogSuffix) && isPlainOrAbsent(path + kIndexSuffix)) {
        recovered = DamagedHistoryReader::readFile(path, kApplicationId);
    }
    if (recovered) {
        stored.rows = std::move(recovered->rows);
        stored.lostRows = recovered->lostRows;
        stored.lostCountExact = recovered->lostCountExact;
        qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "is damaged:" << stored.rows.size()
                                        << "rows read,"
                                        << (stored.lostCountExact ? "" : "at least ") + QString::number(stored.lostRows)
                                        << "rows lost";
    } else {
        // Nothing in it told how many rows it held.
        stored.lostCountExact = false;
    }
    return startAfresh(std::move(stored), problem);
}

// What was read of a damaged file is handed back marked incomplete, so that no image is swept on
// its account; the file goes aside and a fresh one takes its place for the writes to come.
StoredHistory SqliteHistoryStore::startAfresh(StoredHistory stored, const QString &problem)
{
    // Set aside as it was found: closing must not fold the log into the damaged file.
    if (m_db)
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    close();
    stored.setAsidePath = setAside(problem);
    stored.complete = false;
    stored.problem = problem;
    QString failure;
    if (open(&failure) != Opened::Yes)
        qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "could not be started:" << failure;
    return stored;
}

// The damaged or foreign file, its log and the log's index are kept together under another
// name, owner-only, so that nothing the user had is destroyed by the fresh file that replaces
// them. Whatever is at the path is moved, never followed: a link is set aside as a link and what
// it points at is left alone.
QString SqliteHistoryStore::setAside(const QString &reason)
{
    const QString aside = stampedName(m_filePath);
    if (::rename(encoded(m_filePath).constData(), encoded(aside).constData()) != 0) {
        qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "is unreadable (" << reason
                                        << ") and could not be moved aside:" << std::strerror(errno);
        return {};
    }
    PrivateFiles::restrictToOwner(aside);
    m_connections->files.forget();
    // An empty log holds nothing, and its index is always rebuilt from the log.
    struct stat log { };
    const bool hasLog = ::lstat(encoded(m_filePath + kLogSuffix).constData(), &log) == 0 && log.st_size > 0;
    for (const QString &suffix : {kLogSuffix, kIndexSuffix}) {
        if (!hasLog)
            ::unlink(encoded(m_filePath + suffix).constData());
        else if (::rename(encoded(m_filePath + suffix).constData(), encoded(aside + suffix).constData()) == 0)
            PrivateFiles::restrictToOwner(aside + suffix);
    }
    qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "is unreadable (" << reason
                                    << "); it was moved to" << aside << "and a fresh one was started";
    return aside;
}

QString SqliteHistoryStore::keepCopy(const QString &reason)
{
    std::lock_guard turn(m_connections->turn);
    QString error;
    if (open(&error) != Opened::Yes)
        return {};
    const QString copy = stampedName(m_filePath);
    sqlite3_stmt *vacuum = nullptr;
    bool ok = sqlite3_prepare_v2(m_db, "VACUUM INTO ?", -1, &vacuum, nullptr) == SQLITE_OK;
    const QByteArray target = encoded(copy);
    ok = ok && sqlite3_bind_text(vacuum, 1, target.constData(), int(target.size()), SQLITE_TRANSIENT) == SQLITE_OK
        && sqlite3_step(vacuum) == SQLITE_DONE;
    if (!ok)
        error = errorText();
    sqlite3_finalize(vacuum);
    if (!ok) {
        qCWarning(lcPlatform).noquote() << "history database could not be copied aside:" << error;
        return {};
    }
    PrivateFiles::restrictToOwner(copy);
    qCWarning(lcPlatform).noquote() << "history database" << m_filePath << "holds" << reason << "; a copy was kept in"
                                    << copy;
    return copy;
}

HistoryWriteResult SqliteHistoryStore::apply(const HistoryChange &change)
{
    if (change.isEmpty())
        return {};
    std::lock_guard turn(m_connections->turn);
    bool readOnly = false;
    HistoryWriteResult result = write(change, &readOnly);
    // Refused as read-only: another connection may be what holds the log's index read-only
    // since the disk was mounted so. Once they are all closed, a disk that takes writes again
    // takes this one at once.
    if (readOnly && closeEveryConnection())
        result = write(change, &readOnly);
    return result;
}

HistoryWriteResult SqliteHistoryStore::write(const HistoryChange &change, bool *readOnly)
{
    HistoryWriteResult result;
    *readOnly = false;
    QString error;
    // A connection that SQLite opened read-only (the disk was mounted so when it was read) never
    // takes a write; the file is opened anew, for writing if the disk now allows it.
    if (m_db && sqlite3_db_readonly(m_db, "main") == 1)
        close();
    errno = 0;
    if (open(&error) != Opened::Yes) {
        result.ok = false;
        result.diskFull = errno == ENOSPC;
        result.error = error;
        return result;
    }
    auto fail = [&](int code) {
        result.ok = false;
        result.diskFull = isDiskFull(code);
        result.error = errorText();
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        // What the try wrote into the log (a large row spills there before its commit) is the
        // store's own.
        m_connections->files.noteOwnState();
        // Another program holding the file leaves this connection as good as it was. Any other
        // failure may have come from the connection itself: one that SQLite opened read-only
        // (the disk was then mounted so) stays read-only, so the next try opens the file anew.
        const int primary = code & 0xff;
        *readOnly = primary == SQLITE_READONLY;
        if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED)
            close();
        return result;
    };
    errno = 0;
    int code = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return fail(code);
    for (const StoredHistoryRow &row : change.writes) {
        sqlite3_stmt *upsert = statement(m_upsert,
                                         "INSERT INTO history(id, position, record) VALUES(?1, ?2, ?3) "
                                         "ON CONFLICT(id) DO UPDATE SET position = excluded.position, record = excluded.record");
        if (!upsert)
            return fail(sqlite3_errcode(m_db));
        const QByteArray id = row.id.toUtf8();
        sqlite3_bind_text(upsert, 1, id.constData(), int(id.size()), SQLITE_STATIC);
        sqlite3_bind_int64(upsert, 2, row.position);
        sqlite3_bind_blob64(upsert, 3, row.record.constData(), sqlite3_uint64(row.record.size()), SQLITE_STATIC);
        code = sqlite3_step(upsert);
        sqlite3_reset(upsert);
        if (code != SQLITE_DONE)
            return fail(code);
    }
    for (const auto &[id, position] : change.moves) {
        sqlite3_stmt *move = statement(m_move, "UPDATE history SET position = ?1 WHERE id = ?2");
        if (!move)
            return fail(sqlite3_errcode(m_db));
        const QByteArray idBytes = id.toUtf8();
        sqlite3_bind_int64(move, 1, position);
        sqlite3_bind_text(move, 2, idBytes.constData(), int(idBytes.size()), SQLITE_STATIC);
        code = sqlite3_step(move);
        sqlite3_reset(move);
        if (code != SQLITE_DONE)
            return fail(code);
    }
    for (const QString &id : change.removals) {
        sqlite3_stmt *remove = statement(m_remove, "DELETE FROM history WHERE id = ?1");
        if (!remove)
            return fail(sqlite3_errcode(m_db));
        const QByteArray idBytes = id.toUtf8();
        sqlite3_bind_text(remove, 1, idBytes.constData(), int(idBytes.size()), SQLITE_STATIC);
        code = sqlite3_step(remove);
        sqlite3_reset(remove);
        if (code != SQLITE_DONE)
            return fail(code);
    }
    code = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return fail(code);
    m_connections->files.noteOwnState();
    return result;
}

bool SqliteHistoryStore::holdsHistory(const QString &path) const
{
    return HistoryFileForm::holdsReadableHistory(path);
}

std::optional<qint64> SqliteHistoryStore::availableBytes() const
{
    struct statvfs fs { };
    if (::statvfs(encoded(QFileInfo(m_filePath).absolutePath()).constData(), &fs) != 0)
        return std::nullopt;
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

std::unique_ptr<HistoryStore> SqliteHistoryStore::openConnection() const
{
    return std::unique_ptr<HistoryStore>(new SqliteHistoryStore(m_filePath, m_busyTimeout, m_connections));
}
