#include "platform/linux/HistoryFolderHold.h"

#include "core/Logging.h"
#include "core/PrivateFiles.h"
#include "platform/linux/HistoryFolderLook.h"
#include "platform/linux/LinuxInstanceLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The note's content, at most: a process number and a socket path.
constexpr qsizetype kMaxNoteBytes = 4096;

} // namespace

HistoryFolderHold::HistoryFolderHold(QString notePath, std::function<bool(pid_t)> isOurs, QObject *parent)
    : QObject(parent)
    , m_notePath(std::move(notePath))
    , m_isOurs(std::move(isOurs))
{
}

HistoryFolderHold::~HistoryFolderHold()
{
    // The look reviews through this object until its thread ends.
    if (m_lookThread) {
        m_lookThread->quit();
        m_lookThread->wait();
    }
    if (m_noteFd >= 0)
        ::close(m_noteFd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    if (m_previousFolderFd >= 0)
        ::close(m_previousFolderFd);
}

QString HistoryFolderHold::folderPath() const
{
    return QFileInfo(m_notePath).absolutePath();
}

void HistoryFolderHold::open()
{
    const QString folder = folderPath();
    PrivateFiles::makeFolder(folder);
    // The folder is what is locked: a file in it can be deleted, replaced, made a folder or a
    // link, or left behind by another user, and a lock on it is then one on nothing that the
    // next start sees. (A link to the folder is followed: the lock is on the folder itself.)
    m_folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0)
        noteLockError(folderProblem(errno));
    openNote();
}

void HistoryFolderHold::openNote()
{
    const QByteArray name = QFile::encodeName(m_notePath);
    m_noteFd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    m_noteWritable = m_noteFd >= 0;
    // Read only (another user's, or a disk mounted read-only), the note still says who holds it.
    if (m_noteFd < 0)
        m_noteFd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    struct stat st { };
    if (m_noteFd >= 0 && (::fstat(m_noteFd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(m_noteFd);
        m_noteFd = -1;
        m_noteWritable = false;
    }
    // A file of this user's own that only reads (a disk mounted read-only) is kept as it is.
    m_noteOwn = m_noteFd >= 0 && st.st_uid == ::geteuid();
}

int HistoryFolderHold::folderProblem(int error) const
{
    if (error != ENOENT && error != EACCES)
        return error;
    // The folder was not made: the first folder above it that is there says why.
    QString above = folderPath();
    struct stat st { };
    while (::stat(QFile::encodeName(above).constData(), &st) != 0) {
        if (errno == ENOTDIR)
            return ENOTDIR;
        const QString up = QFileInfo(above).path();
        if (up == above)
            return error;
        above = up;
    }
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    if (::access(QFile::encodeName(above).constData(), W_OK | X_OK) != 0)
        return errno;
    return error;
}

void HistoryFolderHold::noteLockError(int error)
{
    const bool first = m_lockError != error;
    m_lockError = error;
    if (first)
        qCWarning(lcPlatform).noquote() << "the history folder" << folderPath() << "could not be opened or locked ("
                                        << std::strerror(error)
                                        << "): this run keeps its copies in memory and writes no history until it can";
}

HistoryLockReason HistoryFolderHold::reasonFor(int error)
{
    switch (error) {
    case 0:
        return HistoryLockReason::None;
    case ENOLCK:
    case EOPNOTSUPP:
    case EINVAL:
        return HistoryLockReason::NoLocks;
    case EROFS:
    case EACCES:
    case EPERM:
    case ENOENT:
    case ENOSPC:
    case EDQUOT:
        return HistoryLockReason::NotWritable;
    case ENOTDIR:
    case EEXIST:
        return HistoryLockReason::NotAFolder;
    default:
        return HistoryLockReason::Other;
    }
}

HistoryLockReason HistoryFolderHold::reason() const
{
    return reasonFor(m_lockError);
}

bool HistoryFolderHold::holdsHistory() const
{
    return m_lockError == 0;
}

QString HistoryFolderHold::problem() const
{
    const int error = m_lockError;
    if (error == 0)
        return {};
    return folderPath() + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

bool HistoryFolderHold::tryTake()
{
    if (m_folderFd < 0 || m_lockError != 0)
        return true;
    if (::flock(m_folderFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return false;
        // No lock at all (ENOLCK on a network file system without a lock manager): held by
        // nobody known, which rules out no other writer either.
        noteLockError(errno);
        return true;
    }
    // The note's own lock, as builds that locked the file alone take it.
    if (m_noteFd >= 0 && ::flock(m_noteFd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return false;
    // The lock is free, yet the note may name a Tarnel that runs on: the folder was replaced
    // under it (a backup restored). It is asked to quit, and first takes this folder back to
    // write its copies here; the lock is let go meanwhile.
    if (notedWriterRunsElsewhere()) {
        ::flock(m_folderFd, LOCK_UN);
        if (m_noteFd >= 0)
            ::flock(m_noteFd, LOCK_UN);
        return false;
    }
    return true;
}

QByteArray HistoryFolderHold::note() const
{
    QByteArray note(kMaxNoteBytes, Qt::Uninitialized);
    const ssize_t n = m_noteFd >= 0 ? ::pread(m_noteFd, note.data(), size_t(note.size()), 0) : 0;
    note.truncate(n > 0 ? qsizetype(n) : 0);
    return note;
}

pid_t HistoryFolderHold::folderHolder() const
{
    return LinuxInstanceLock::flockHolder(m_folderFd);
}

pid_t HistoryFolderHold::noteHolder() const
{
    return LinuxInstanceLock::flockHolder(m_noteFd);
}

bool HistoryFolderHold::notedWriterRunsElsewhere() const
{
    if (m_noteFd < 0)
        return false;
    const QList<QByteArray> lines = note().split('\n');
    bool isNumber = false;
    const pid_t pid = lines.size() >= 2 ? pid_t(lines.at(0).toLong(&isNumber)) : 0;
    return isNumber && pid > 0 && pid != ::getpid() && m_isOurs(pid);
}

QByteArray HistoryFolderHold::noteHeldBy(pid_t pid, const QString &notePath)
{
    if (pid <= 0 || notePath.isEmpty())
        return {};
    // The holder keeps its note open: deleted or replaced at its path, it is still there, and
    // the kernel names it after the path it had.
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    const QByteArray path = QFile::encodeName(notePath);
    const QByteArray deleted = path + " (deleted)";
    for (const QString &name : QDir(fds).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QByteArray link = QFile::encodeName(fds + u'/' + name);
        char target[4096];
        const ssize_t n = ::readlink(link.constData(), target, sizeof target);
        const QByteArray points(target, n > 0 ? qsizetype(n) : 0);
        if (points != path && points != deleted)
            continue;
        const int fd = ::open(link.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        QByteArray note(kMaxNoteBytes, Qt::Uninitialized);
        const ssize_t read = ::pread(fd, note.data(), size_t(note.size()), 0);
        ::close(fd);
        note.truncate(read > 0 ? qsizetype(read) : 0);
        if (note.startsWith(QByteArray::number(pid) + '\n'))
            return note;
    }
    return {};
}

void HistoryFolderHold::becomeReady(const QString &listeningName)
{
    if (m_lookThread)
        return;
    m_listeningName = listeningName;
    writeNote();
    m_lookThread = new QThread(this);
    m_lookThread->setObjectName(QStringLiteral("HistoryFolderLook"));
    m_look = new HistoryFolderLook(folderPath(), m_database, kFolderSettle);
    m_look->moveToThread(m_lookThread);
    connect(m_lookThread, &QThread::finished, m_look, &QObject::deleteLater);
    // Reviewed where the change was seen: the review looks at the disk, and may take the folder.
    connect(m_look, &HistoryFolderLook::due, this, &HistoryFolderHold::review, Qt::DirectConnection);
    // The look begins on its thread, after the run became ready: a folder replaced meanwhile
    // is taken anew all the same.
    connect(
        m_look, &HistoryFolderLook::watching, this,
        [this] {
            (void)check();
            QMetaObject::invokeMethod(
                this, [this] { Q_EMIT watching(); }, Qt::QueuedConnection);
        },
        Qt::DirectConnection);
    {
        std::lock_guard lock(m_mutex);
        m_ready = true;
    }
    m_lookThread->start();
    QMetaObject::invokeMethod(
        m_look,
        [look = m_look, retry = !holdsHistory()] {
            look->start();
            if (retry)
                look->lookWithin(kRetakeInterval);
        },
        Qt::QueuedConnection);
}

bool HistoryFolderHold::pathNamesHeldFolder() const
{
    struct stat held { };
    struct stat atPath { };
    return m_folderFd >= 0 && ::fstat(m_folderFd, &held) == 0
        && ::stat(QFile::encodeName(folderPath()).constData(), &atPath) == 0 && held.st_dev == atPath.st_dev
        && held.st_ino == atPath.st_ino;
}

HistoryFolderCheck HistoryFolderHold::check()
{
    std::lock_guard lock(m_mutex);
    if (!m_ready)
        return {};
    const bool wasHeld = m_lockError == 0 && m_folderFd >= 0;
    if (!(wasHeld && pathNamesHeldFolder())) {
        if (wasHeld)
            qCWarning(lcPlatform).noquote() << "the history folder" << folderPath()
                                            << "is no longer the folder this instance holds (deleted, renamed or replaced);"
                                            << "the folder at that path is taken and the history written there whole";
        if (takeFolderAtPath())
            QMetaObject::invokeMethod(
                this, [this] { Q_EMIT taken(); }, Qt::QueuedConnection);
        else if (!m_gaveWayToNewHolder)
            // Tried again now and then, also when the writer was the one that found it gone.
            QMetaObject::invokeMethod(
                m_look, [look = m_look] { look->lookWithin(kRetakeInterval); }, Qt::QueuedConnection);
    }
    HistoryFolderCheck check;
    check.held = m_lockError == 0 && m_folderFd >= 0;
    check.generation = m_generation;
    struct stat previous { };
    // A folder deleted by hand has no link left, and nothing can be read from it.
    if (m_previousFolderFd >= 0 && ::fstat(m_previousFolderFd, &previous) == 0 && previous.st_nlink > 0)
        check.previousFolder = QStringLiteral("/proc/self/fd/%1").arg(m_previousFolderFd);
    return check;
}

bool HistoryFolderHold::takeFolderAtPath()
{
    const QString folder = folderPath();
    PrivateFiles::makeFolder(folder);
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        noteLockError(folderProblem(errno));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        const pid_t holder = error == EWOULDBLOCK ? LinuxInstanceLock::flockHolder(fd) : 0;
        ::close(fd);
        if (error != EWOULDBLOCK) {
            noteLockError(error);
            return false;
        }
        // A newer start took the history at its path: the usual handover, this one ends.
        m_lockError = EWOULDBLOCK;
        if (!std::exchange(m_gaveWayToNewHolder, true)) {
            qCWarning(lcPlatform).noquote() << "the history in" << folder << "is now held by another Tarnel instance (process"
                                            << holder << "); this one quits";
            QMetaObject::invokeMethod(
                this, [this] { Q_EMIT gaveWay(); }, Qt::QueuedConnection);
        }
        return false;
    }
    // The folder held before is let go; it stays open while its image files may be read.
    if (m_previousFolderFd >= 0)
        ::close(m_previousFolderFd);
    m_previousFolderFd = m_folderFd;
    if (m_previousFolderFd >= 0)
        ::flock(m_previousFolderFd, LOCK_UN);
    m_folderFd = fd;
    m_lockError = 0;
    m_gaveWayToNewHolder = false;
    if (m_noteFd >= 0)
        ::close(m_noteFd);
    openNote();
    if (m_noteFd >= 0)
        (void)::flock(m_noteFd, LOCK_EX | LOCK_NB);
    writeNote();
    ++m_generation;
    qCInfo(lcPlatform).noquote() << "took the history folder" << folder;
    return true;
}

void HistoryFolderHold::review()
{
    const HistoryFolderCheck now = check();
    bool gaveWay = false;
    {
        std::lock_guard lock(m_mutex);
        gaveWay = m_gaveWayToNewHolder;
    }
    // A run that holds no folder keeps trying; one that holds it waits for the watch.
    if (!now.held && !gaveWay)
        m_look->lookWithin(kRetakeInterval);
    if (now.held)
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT filesChanged(); }, Qt::QueuedConnection);
}

// After the socket listens: a later start that finds the history held asks here.
void HistoryFolderHold::writeNote()
{
    if (m_lockError != 0 || m_folderFd < 0)
        return;
    takeBackNote();
    if (m_noteFd < 0 || !m_noteWritable || m_listeningName.isEmpty())
        return;
    const QByteArray holder = QByteArray::number(::getpid()) + '\n' + QFile::encodeName(m_listeningName) + '\n';
    if (::ftruncate(m_noteFd, 0) != 0 || ::pwrite(m_noteFd, holder.constData(), size_t(holder.size()), 0) != ssize_t(holder.size()))
        qCWarning(lcPlatform) << "history lock file could not note this instance:" << std::strerror(errno);
}

void HistoryFolderHold::takeBackNote()
{
    if (m_noteWritable || m_folderFd < 0)
        return;
    if (m_noteOwn) {
        makeOwnNoteWritable();
        return;
    }
    // Only in a folder of this user's own, which nobody else may write into.
    struct stat folder { };
    if (::fstat(m_folderFd, &folder) != 0 || folder.st_uid != ::geteuid() || (folder.st_mode & (S_IWGRP | S_IWOTH)))
        return;
    const QByteArray name = QFile::encodeName(m_notePath);
    struct stat st { };
    if (::lstat(name.constData(), &st) == 0) {
        const bool removed = S_ISDIR(st.st_mode) ? ::rmdir(name.constData()) == 0 : ::unlink(name.constData()) == 0;
        const QByteArray aside = name + ".unusable-" + QByteArray::number(::getpid());
        if (!removed && ::rename(name.constData(), aside.constData()) != 0) {
            qCWarning(lcPlatform) << "the history lock file" << m_notePath << "is not this user's own and could not be replaced:"
                                  << std::strerror(errno);
            return;
        }
        qCWarning(lcPlatform).noquote() << "the history lock file" << m_notePath
                                        << (removed ? "was not a file this user could write; it was replaced"
                                                    : "was not a file this user could write; it was moved to")
                                        << (removed ? QString() : QFile::decodeName(aside));
    }
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        qCWarning(lcPlatform) << "the history lock file" << m_notePath << "could not be made:" << std::strerror(errno);
        return;
    }
    if (m_noteFd >= 0)
        ::close(m_noteFd);
    m_noteFd = fd;
    m_noteWritable = true;
    m_noteOwn = true;
    // As builds that locked the file alone expect it.
    (void)::flock(m_noteFd, LOCK_EX | LOCK_NB);
}

// A note of this user's own made read-only (chmod 0400) would leave a later start from another
// environment nobody to ask. It is this user's, so it is made writable again; on a disk mounted
// read-only it stays as it is.
void HistoryFolderHold::makeOwnNoteWritable()
{
    if (m_noteFd < 0 || ::fchmod(m_noteFd, S_IRUSR | S_IWUSR) != 0)
        return;
    const int fd = ::open(QFile::encodeName(m_notePath).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    struct stat held { };
    struct stat opened { };
    if (fd < 0 || ::fstat(m_noteFd, &held) != 0 || ::fstat(fd, &opened) != 0 || held.st_dev != opened.st_dev
        || held.st_ino != opened.st_ino) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    ::close(m_noteFd);
    m_noteFd = fd;
    m_noteWritable = true;
    // As builds that locked the file alone expect it.
    (void)::flock(m_noteFd, LOCK_EX | LOCK_NB);
    qCInfo(lcPlatform) << "the history lock file" << m_notePath << "was read-only; it was made writable";
}
