#include "platform/linux/HistoryFolderLook.h"

#include "core/Logging.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Detail {
    // The path alone.
    Itself,
    // A folder, with the names of its entries: a folder's times may be too coarse to show two
    // changes in one second.
    Names,
    // A folder, with the identity and the mode of each of its entries: a file deleted, moved in
    // or out, or made unreadable; not what is written into them.
    Entries,
};

QByteArray stateOf(const QString &path, Detail detail)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st { };
    if (::stat(name.constData(), &st) != 0)
        return QByteArrayLiteral("missing ") + QByteArray::number(errno);
    QByteArray state = QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino)) + ' '
        + QByteArray::number(st.st_mode) + ' ' + QByteArray::number(st.st_uid) + ' ' + QByteArray::number(qint64(st.st_size))
        + ' ' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' '
        + QByteArray::number(qint64(st.st_ctim.tv_sec)) + '.' + QByteArray::number(qint64(st.st_ctim.tv_nsec));
    if (detail == Detail::Itself || !S_ISDIR(st.st_mode))
        return state;
    DIR *folder = ::opendir(name.constData());
    if (!folder)
        return state + " unreadable " + QByteArray::number(errno);
    QList<QByteArray> entries;
    while (const dirent *entry = ::readdir(folder)) {
        QByteArray line(entry->d_name);
        if (line == "." || line == "..")
            continue;
        struct stat of { };
        if (detail == Detail::Entries && ::fstatat(::dirfd(folder), entry->d_name, &of, AT_SYMLINK_NOFOLLOW) == 0)
            line += ' ' + QByteArray::number(quint64(of.st_ino)) + ' ' + QByteArray::number(of.st_mode) + ' '
                + QByteArray::number(of.st_uid);
        entries.append(line);
    }
    ::closedir(folder);
    std::sort(entries.begin(), entries.end());
    return state + '\n' + entries.join('\n');
}

} // namespace

HistoryFolderLook::HistoryFolderLook(QString folder, QString database, std::chrono::milliseconds settle)
    : m_folder(std::move(folder))
    , m_database(std::move(database))
    , m_settle(settle)
{
}

HistoryFolderLook::~HistoryFolderLook() = default;

void HistoryFolderLook::start()
{
    m_due = new QTimer(this);
    m_due->setSingleShot(true);
    connect(m_due, &QTimer::timeout, this, [this] {
        Q_EMIT due();
        watch();
    });
    // Asked of the kernel here rather than left to QFileSystemWatcher, which would poll without
    // a word, and every path's entries at that.
    const int events = ::inotify_init1(IN_CLOEXEC);
    if (events < 0) {
        m_polls = true;
        qCWarning(lcPlatform).noquote() << "folder events are unavailable for the history folder" << m_folder << "("
                                        << std::strerror(errno) << "); it is polled every" << kPollInterval.count() << "ms";
        m_seen = state();
        m_poll = new QTimer(this);
        connect(m_poll, &QTimer::timeout, this, &HistoryFolderLook::poll);
        m_poll->start(kPollInterval);
    } else {
        ::close(events);
        m_watch = new QFileSystemWatcher(this);
        connect(m_watch, &QFileSystemWatcher::directoryChanged, this, [this] { lookWithin(m_settle); });
        connect(m_watch, &QFileSystemWatcher::fileChanged, this, [this] { lookWithin(m_settle); });
        watch();
    }
    Q_EMIT watching();
}

void HistoryFolderLook::lookWithin(std::chrono::milliseconds time)
{
    if (m_due && (!m_due->isActive() || m_due->remainingTime() > int(time.count())))
        m_due->start(time);
}

void HistoryFolderLook::watch()
{
    if (!m_watch)
        return;
    const QString around = QFileInfo(m_folder).absolutePath();
    if (!m_watch->directories().contains(around) && QFileInfo(around).isDir())
        m_watch->addPath(around);
    // The folder itself shows a file of the history deleted, moved in or out, or made unreadable;
    // the database shows what is written into it, which the run itself does only as it folds its
    // log in. Either is watched again once it is back at the path.
    for (const QString &path : {m_folder, m_database}) {
        if (!path.isEmpty() && QFileInfo::exists(path) && !m_watch->directories().contains(path)
            && !m_watch->files().contains(path))
            m_watch->addPath(path);
    }
}

QList<QByteArray> HistoryFolderLook::state() const
{
    QList<QByteArray> state{stateOf(QFileInfo(m_folder).absolutePath(), Detail::Names), stateOf(m_folder, Detail::Entries)};
    if (!m_database.isEmpty())
        state.append(stateOf(m_database, Detail::Itself));
    return state;
}

void HistoryFolderLook::poll()
{
    QList<QByteArray> now = state();
    if (now == m_seen)
        return;
    m_seen = std::move(now);
    lookWithin(m_settle);
}
