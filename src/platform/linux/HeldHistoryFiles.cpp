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
// The log's salt, which its index copies into its own header: an index whose salt is not its log's
// was made for another log (SQLite's file format: the log's header, and the index's header).
constexpr qint64 kLogHeaderSaltOffset = 16;
constexpr qint64 kIndexHeaderSaltOffset = 32;
constexpr qint64 kSaltBytes = 8;

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
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    const bool readable = (st.st_mode & kOwnerReadWrite) == kOwnerReadWrite;
    return Noted{true, st.st_dev, st.st_ino, readable ? st.st_ctim : timespec{-1, -1}, st.st_size};
}

void HeldHistoryFiles::noteOwnState()
{
    for (File file : {File::Database, File::Log, File::Index})
        m_files[size_t(file)] = look(pathOf(file));
    m_noted = m_files[size_t(File::Database)].present;
}

void HeldHistoryFiles::forget()
{
    m_noted = false;
    m_files = {};
}

bool HeldHistoryFiles::indexFollowsLog() const
{
    const auto bytesOf = [](const QString &path, qint64 offset) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
            return QByteArray();
        return file.read(kSaltBytes);
    };
    const QByteArray logSalt = bytesOf(pathOf(File::Log), kLogHeaderSaltOffset);
    const QByteArray indexSalt = bytesOf(pathOf(File::Index), kIndexHeaderSaltOffset);
    // A log without a header yet, or an index not made yet, follows nothing.
    if (logSalt.size() < kSaltBytes || indexSalt.size() < kSaltBytes)
        return true;
    return logSalt == indexSalt;
}

HeldHistoryFiles::State HeldHistoryFiles::stateOf(File file) const
{
    const Noted &noted = m_files[size_t(file)];
    // A log or index that was not there when this run last looked is one SQLite made since (a
    // reader beside it); only a file that was there can go.
    if (!m_noted || !noted.present)
        return State::Held;
    const Noted now = look(pathOf(file));
    if (!now.present)
        return State::Missing;
    if (now.device != noted.device || now.inode != noted.inode)
        return State::Replaced;
    // Other programs may read and write the history through SQLite beside this run, which changes
    // the files' times and contents: what counts is what no such writer does. A file cut short,
    // one that lost its owner's read and write bits, and a log or index not made for each other
    // are no longer the history held.
    const bool unreadable = now.changed.tv_sec == -1 && noted.changed.tv_sec != -1;
    if (now.size < noted.size || unreadable)
        return State::Changed;
    if (file != File::Database && !indexFollowsLog())
        return State::Changed;
    return State::Held;
}

QString HeldHistoryFiles::change() const
{
    QStringList changes;
    for (File file : {File::Database, File::Log, File::Index}) {
        switch (stateOf(file)) {
        case State::Held:
            break;
        case State::Missing:
            changes.append(pathOf(file) + QStringLiteral(" was deleted or moved away"));
            break;
        case State::Replaced:
            changes.append(pathOf(file) + QStringLiteral(" is another file now"));
            break;
        case State::Changed:
            changes.append(pathOf(file) + QStringLiteral(" was overwritten, cut short or made unreadable"));
            break;
        }
    }
    return changes.join(QStringLiteral("; "));
}

QStringList HeldHistoryFiles::letGo(const QString &asideBase)
{
    const State database = stateOf(File::Database);
    const State log = stateOf(File::Log);
    const State index = stateOf(File::Index);
    QStringList aside;
    const auto setAside = [&](File file) {
        const QString from = pathOf(file);
        const QString to = asideBase + pathOf(file).mid(m_databasePath.size());
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
            qCWarning(lcPlatform).noquote() << "history file" << from << "could not be set aside:" << std::strerror(errno);
            return;
        }
        PrivateFiles::restrictToOwner(to);
        aside.append(to);
    };
    const auto present = [&](File file) { return look(pathOf(file)).present; };
    // The database this run holds stays where it still is, whole, with its own log and index.
    const bool keepsDatabase = database == State::Held && present(File::Database);
    if (!keepsDatabase && present(File::Database))
        setAside(File::Database);
    // This run's own log belongs to the database it held: beside any other (or none) it would be
    // applied to whatever comes next at the path, and the rows it holds are written anew instead.
    // Its index is rebuilt from the log whenever nobody has it open.
    for (const auto &[file, state] : {std::pair{File::Log, log}, std::pair{File::Index, index}}) {
        if (!present(file))
            continue;
        const bool notedHere = m_noted && m_files[size_t(file)].present;
        if (state == State::Held && notedHere) {
            if (!keepsDatabase || file == File::Index)
                ::unlink(QFile::encodeName(pathOf(file)).constData());
            continue;
        }
        // Made by a reader beside this run since it last looked.
        if (state == State::Held && keepsDatabase)
            continue;
        setAside(file);
    }
    forget();
    return aside;
}
