#include "platform/linux/HeldHistoryFiles.h"

#include "core/Logging.h"
#include "core/PrivateFiles.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The owner's read and write bits, which the history's files always carry: a file that lost them
// was made unreadable by hand (root reads it all the same, so the bits are what tells).
constexpr mode_t kOwnerReadWrite = S_IRUSR | S_IWUSR;

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
    return Noted{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, (st.st_mode & kOwnerReadWrite) == kOwnerReadWrite};
}

void HeldHistoryFiles::noteOwnState(bool closedLast)
{
    if (!m_noted) {
        for (File file : kAllFiles)
            m_files[size_t(file)] = look(pathOf(file));
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
            noted = now;
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
    if (file != File::Index
        && (now.modified.tv_sec != noted.modified.tv_sec || now.modified.tv_nsec != noted.modified.tv_nsec))
        return State::Overwritten;
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
