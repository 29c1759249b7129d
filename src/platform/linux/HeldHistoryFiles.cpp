#include "platform/linux/HeldHistoryFiles.h"

#include "core/Logging.h"
#include "core/PrivateFiles.h"

#include <QFile>

#include <sqlite3.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The owner's read and write bits, which the history's files always carry: a file that lost them
// was made unreadable by hand (root reads it all the same, so the bits are what tells).
constexpr mode_t kOwnerReadWrite = S_IRUSR | S_IWUSR;

// Read this much at a time for the digest: the log is a few MB, the database may be far larger.
constexpr size_t kContentChunkBytes = 1024 * 1024;

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

constexpr std::array kAllFiles{HeldHistoryFiles::File::Database, HeldHistoryFiles::File::Log,
                               HeldHistoryFiles::File::Index};

} // namespace

HeldHistoryFiles::HeldHistoryFiles(QString databasePath)
    : m_databasePath(std::move(databasePath))
{
}

QString HeldHistoryFiles::pathOf(File file) const
{
    switch (file) {
    case File::Database:
        return m_databasePath;
    case File::Log:
        return m_databasePath + QStringLiteral("-wal");
    case File::Index:
        return m_databasePath + QStringLiteral("-shm");
    }
    return m_databasePath;
}

HeldHistoryFiles::Noted HeldHistoryFiles::look(const QString &path)
{
    struct stat st { };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return Noted{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, (st.st_mode & kOwnerReadWrite) == kOwnerReadWrite, {}};
}

// Read through SQLite's own file layer, never a descriptor of the reader's: closing any descriptor
// of a file drops every POSIX lock the process holds on it, the run's connections' shared locks on
// the database among them, so that another program's last connection would take itself for the
// only one, fold the log in and delete it under the run. SQLite keeps such a descriptor open until
// the process holds no lock on the file.
QByteArray HeldHistoryFiles::contentOf(File file) const
{
    struct stat st { };
    const QByteArray path = QFile::encodeName(pathOf(file));
    // A pipe would hold the reader, a link could lead anywhere.
    if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    if (!vfs)
        return {};
    std::vector<std::byte> handle(size_t(vfs->szOsFile));
    auto *opened = reinterpret_cast<sqlite3_file *>(handle.data());
    const int kind = file == File::Database ? SQLITE_OPEN_MAIN_DB : SQLITE_OPEN_WAL;
    int flags = 0;
    if (vfs->xOpen(vfs, path.constData(), opened, SQLITE_OPEN_READONLY | kind, &flags) != SQLITE_OK) {
        // A failed open leaves nothing to close.
        return {};
    }
    // The log is read after every commit: a digest far faster than the disk keeps that cheap.
    QByteArray digest;
    sqlite3_int64 size = 0;
    XXH3_state_t *hash = XXH3_createState();
    if (hash && XXH3_128bits_reset(hash) == XXH_OK && opened->pMethods->xFileSize(opened, &size) == SQLITE_OK) {
        QByteArray chunk(qsizetype(kContentChunkBytes), Qt::Uninitialized);
        sqlite3_int64 at = 0;
        bool whole = true;
        while (whole && at < size) {
            const int length = int(std::min<sqlite3_int64>(sqlite3_int64(kContentChunkBytes), size - at));
            whole = opened->pMethods->xRead(opened, chunk.data(), length, at) == SQLITE_OK
                && XXH3_128bits_update(hash, chunk.constData(), size_t(length)) == XXH_OK;
            at += length;
        }
        if (whole) {
            XXH128_canonical_t canonical;
            XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(hash));
            digest = QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof canonical.digest);
        }
    }
    XXH3_freeState(hash);
    opened->pMethods->xClose(opened);
    return digest;
}

HeldHistoryFiles::Noted HeldHistoryFiles::withContent(File file, Noted now, const Noted &noted) const
{
    if (!now.present || file == File::Index)
        return now;
    const bool unchanged = noted.present && now.device == noted.device && now.inode == noted.inode
        && now.size == noted.size && sameTime(now.modified, noted.modified);
    now.content = unchanged ? noted.content : contentOf(file);
    return now;
}

void HeldHistoryFiles::noteOwnState(bool closedLast)
{
    if (!m_noted) {
        for (File file : kAllFiles)
            m_files[size_t(file)] = withContent(file, look(pathOf(file)), {});
        m_noted = m_files[size_t(File::Database)].present;
        return;
    }
    // Only what is still the run's own is taken in: a file that went or was replaced stays noted
    // as it was, so that the look before the next write finds it. A log or index that came since
    // is SQLite's, made for the run's own connection.
    for (File file : kAllFiles) {
        Noted &noted = m_files[size_t(file)];
        const Noted now = look(pathOf(file));
        const bool same = noted.present && now.present && now.device == noted.device && now.inode == noted.inode;
        if (same || (!noted.present && file != File::Database))
            noted = withContent(file, now, noted);
        // SQLite removes the log and its index as the last connection closes. Only then: a log
        // deleted under an open connection is still the one it writes.
        else if (closedLast && !now.present && file != File::Database && stateOf(File::Database) == State::Held)
            noted = now;
    }
}

void HeldHistoryFiles::forget()
{
    m_noted = false;
    m_files = {};
}

HeldHistoryFiles::State HeldHistoryFiles::stateOf(File file) const
{
    const Noted &noted = m_files[size_t(file)];
    if (!m_noted || !noted.present)
        return State::Held;
    const Noted now = look(pathOf(file));
    if (!now.present)
        return State::Missing;
    if (now.device != noted.device || now.inode != noted.inode)
        return State::Replaced;
    // SQLite never makes its files shorter than its own last commit or close left them.
    if (now.size < noted.size)
        return State::CutShort;
    if (file != File::Index && !sameTime(now.modified, noted.modified)) {
        // Only a file of the size noted can still hold the bytes noted; one that cannot be read
        // now, or could not be then, is taken as written.
        if (now.size != noted.size || noted.content.isEmpty() || contentOf(file) != noted.content)
            return State::Overwritten;
        // The same bytes under a new time: a touch. Held at that time from now on.
        m_files[size_t(file)].modified = now.modified;
    }
    if (!now.ownerMayReadWrite)
        return State::Unreadable;
    return State::Held;
}

QString HeldHistoryFiles::change() const
{
    QStringList changes;
    for (File file : kAllFiles) {
        switch (stateOf(file)) {
        case State::Held:
            break;
        case State::Missing:
            changes.append(pathOf(file) + QStringLiteral(" was deleted or moved away"));
            break;
        case State::Replaced:
            changes.append(pathOf(file) + QStringLiteral(" is another file now"));
            break;
        case State::CutShort:
            changes.append(pathOf(file) + QStringLiteral(" was cut short"));
            break;
        case State::Overwritten:
            changes.append(pathOf(file) + QStringLiteral(" was written into by another program"));
            break;
        case State::Unreadable:
            changes.append(pathOf(file) + QStringLiteral(" was made unreadable"));
            break;
        }
    }
    return changes.join(QStringLiteral("; "));
}

bool HeldHistoryFiles::restoreOwnModes()
{
    bool allHeld = true;
    for (File file : kAllFiles) {
        const State state = stateOf(file);
        if (state == State::Unreadable) {
            // Still the run's own file, whole: it is made the owner's again rather than rewritten.
            PrivateFiles::restrictToOwner(pathOf(file));
            qCWarning(lcPlatform).noquote() << "history file" << pathOf(file)
                                            << "was made unreadable while Tarnel held it; it is readable by its owner again";
            if (stateOf(file) != State::Held)
                allHeld = false;
        } else if (state != State::Held) {
            allHeld = false;
        }
    }
    return allHeld;
}

QStringList HeldHistoryFiles::letGo(const QString &asideBase)
{
    QStringList aside;
    const auto setAside = [&](File file) {
        const QString from = pathOf(file);
        const QString to = asideBase + from.mid(m_databasePath.size());
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
            qCWarning(lcPlatform).noquote() << "history file" << from << "could not be set aside:" << std::strerror(errno);
            return;
        }
        PrivateFiles::restrictToOwner(to);
        aside.append(to);
    };
    const bool keepsDatabase = stateOf(File::Database) == State::Held;
    for (File file : {File::Log, File::Index}) {
        const Noted now = look(pathOf(file));
        if (!now.present)
            continue;
        const bool own = m_files[size_t(file)].present && stateOf(file) == State::Held;
        // The run's own log and index go with the database they were made for: beside any other
        // they would be applied to it. An empty file holds nothing to keep.
        if ((own && !keepsDatabase) || (!own && now.size == 0)) {
            ::unlink(QFile::encodeName(pathOf(file)).constData());
            continue;
        }
        // Beside the run's own database its own log and index stay: SQLite reads a log up to its
        // last whole commit and rebuilds the index once no connection has it open.
        if (own)
            continue;
        setAside(file);
    }
    // Another database at the path, or the run's own cut short, is kept whole, never written into.
    if (!keepsDatabase && look(pathOf(File::Database)).present)
        setAside(File::Database);
    forget();
    return aside;
}
