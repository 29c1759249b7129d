#include "platform/linux/LinuxInstanceLock.h"

#include "platform/linux/HistoryFolderHold.h"

#include "core/Logging.h"
#include "core/PrivateFiles.h"
#include "core/XdgFolders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QByteArray kQuitMessage = QByteArrayLiteral("quit\n");
// The answer of an instance that received the request and is on its way out.
const QByteArray kQuitAnswer = QByteArrayLiteral("quitting\n");
// A quit request is one short line; anything longer is not ours.
constexpr qint64 kMaxMessageBytes = 64;
const QString kDeletedSuffix = QStringLiteral(" (deleted)");

// The runtime folder the environment names, when it is what the desktop makes it: the user's
// own, closed to everyone else. Another user's folder, or one that others may enter, could hold
// a socket or a lock that someone else put there.
QString runtimeFolder()
{
    const QString runtime = XdgFolders::runtimeFolder();
    if (runtime.isEmpty())
        return {};
    struct stat st { };
    if (::stat(QFile::encodeName(runtime).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        static std::atomic<bool> warned{false};
        if (!warned.exchange(true))
            qCWarning(lcPlatform) << "the runtime folder" << runtime
                                  << "is not this user's own or is open to others; the instance socket goes elsewhere";
        return {};
    }
    return runtime;
}

// The folder itself, never a link in its place: a folder of this user that nobody else may
// write into, closed to others if it was not yet.
bool isOwnFolder(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st { };
    bool own = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
        && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
    if (own && (st.st_mode & 077) != 0)
        own = ::fchmod(fd, S_IRWXU) == 0;
    ::close(fd);
    return own;
}

// Without a runtime folder, the socket and its lock live in a folder of the user's own in the
// temporary folder, so that another user can neither plant them nor hold the lock. A name there
// that someone else took first is never used; the user's cache folder serves instead.
QString ownInstanceFolder()
{
    const QString shared = QDir::tempPath() + QStringLiteral("/tarnel-") + QString::number(::geteuid());
    if (::mkdir(QFile::encodeName(shared).constData(), S_IRWXU) == 0 || errno == EEXIST) {
        if (isOwnFolder(shared))
            return shared;
    }
    qCWarning(lcPlatform) << "the folder" << shared << "is not this user's own; the instance socket goes to the cache folder";
    const QString cache = XdgFolders::cacheHome() + QStringLiteral("/Tarnel");
    PrivateFiles::makeFolder(cache);
    return cache;
}

// Where this instance listens.
QString ownRuntimeName(const QString &base)
{
    const QString runtime = runtimeFolder();
    return (runtime.isEmpty() ? ownInstanceFolder() : runtime) + u'/' + base;
}

// Where an instance of an earlier version, or of the earlier product, listens: only asked to
// quit, never trusted.
QString sharedRuntimeName(const QString &base)
{
    const QString runtime = runtimeFolder();
    return runtime.isEmpty() ? base + u'-' + QString::number(::getuid()) : runtime + u'/' + base;
}

} // namespace

LinuxInstanceLock::LinuxInstanceLock(QObject *parent) : LinuxInstanceLock(Options{}, parent) {}

LinuxInstanceLock::LinuxInstanceLock(Options options, QObject *parent)
    : InstanceLock(parent), m_options(std::move(options))
{
    m_identity = m_options.executable.isEmpty() ? identityOfProcess(::getpid())
                                                : identityOfFile(m_options.executable);
    if (!m_identity)
        qCWarning(lcPlatform) << "own executable could not be identified; other instances are only asked to quit";
    if (!m_options.historyLockFilePath.isEmpty()) {
        m_hold = new HistoryFolderHold(
            m_options.historyLockFilePath, [this](pid_t pid) { return isOurs(pid); }, this);
        m_hold->watchDatabase(m_options.historyDatabase);
        connect(m_hold, &HistoryFolderHold::taken, this, &InstanceLock::historyFolderTaken);
        connect(m_hold, &HistoryFolderHold::filesChanged, this, &InstanceLock::historyFilesChanged);
        connect(m_hold, &HistoryFolderHold::gaveWay, this, &InstanceLock::quitRequested);
    }
}

LinuxInstanceLock::~LinuxInstanceLock()
{
    // The socket goes first: once the lock is free, the next instance listens on the same name,
    // and a server closed after that would remove the next one's socket file.
    if (m_serverThread) {
        m_serverThread->quit();
        m_serverThread->wait();
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString LinuxInstanceLock::defaultServerName()
{
    return ownRuntimeName(QStringLiteral("tarnel-instance"));
}

QStringList LinuxInstanceLock::otherDefaultServerNames()
{
    QStringList names{earlierProductServerName()};
    if (runtimeFolder().isEmpty())
        names.append(sharedRuntimeName(QStringLiteral("tarnel-instance")));
    return names;
}

QString LinuxInstanceLock::earlierProductServerName()
{
    return sharedRuntimeName(QStringLiteral("quorvel-instance"));
}

std::optional<LinuxInstanceLock::ExecutableIdentity> LinuxInstanceLock::identityOfFile(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return ExecutableIdentity{st.st_dev, st.st_ino, QFileInfo(path).canonicalFilePath()};
}

std::optional<LinuxInstanceLock::ExecutableIdentity> LinuxInstanceLock::identityOfProcess(pid_t pid)
{
    if (pid <= 0)
        return std::nullopt;
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/exe";
    struct stat st {};
    // stat follows the link to the very file the process runs, even when it was deleted.
    if (::stat(link.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    char buffer[4096];
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return std::nullopt;
    return ExecutableIdentity{st.st_dev, st.st_ino, QFile::decodeName(QByteArray(buffer, n))};
}

pid_t LinuxInstanceLock::flockHolder(int fd)
{
    struct stat st { };
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return 0;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    // "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF"; a waiter's line has "->" after the number.
    const QByteArray file = QString::asprintf("%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                                              static_cast<unsigned long long>(st.st_ino))
                                .toLatin1();
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) != "FLOCK" || fields.at(5) != file)
            continue;
        const pid_t pid = pid_t(fields.at(4).toLong());
        if (pid > 0 && pid != ::getpid())
            return pid;
    }
    return 0;
}

bool LinuxInstanceLock::runsExecutable(pid_t pid, const ExecutableIdentity &executable)
{
    if (executable.path.isEmpty())
        return false;
    const auto identity = identityOfProcess(pid);
    if (!identity)
        return false;
    if (identity->device == executable.device && identity->inode == executable.inode)
        return true;
    // An instance started before an update runs the replaced file at our path.
    return identity->path.endsWith(kDeletedSuffix) && identity->path.chopped(kDeletedSuffix.size()) == executable.path;
}

std::optional<pid_t> LinuxInstanceLock::connectTo(QLocalSocket &socket, const QString &serverName)
{
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(int(kAskTimeout.count())))
        return std::nullopt;
    // The kernel tells who listens; that process, and no other, is the one asked.
    ucred peer{};
    socklen_t length = sizeof peer;
    const bool known = ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0
        && peer.pid > 0 && peer.uid == ::getuid();
    return known ? peer.pid : 0;
}

std::optional<LinuxInstanceLock::Answer> LinuxInstanceLock::askToQuit(const QString &serverName) const
{
    QLocalSocket socket;
    const std::optional<pid_t> peer = connectTo(socket, serverName);
    if (!peer)
        return std::nullopt;
    socket.write(kQuitMessage);
    socket.waitForBytesWritten(int(kAskTimeout.count()));
    QElapsedTimer clock;
    clock.start();
    while (!socket.canReadLine() && clock.elapsed() < kAnswerTimeout.count()
           && socket.waitForReadyRead(int(kAnswerTimeout.count() - clock.elapsed()))) {
    }
    const bool answered = socket.canReadLine() && socket.readLine(kMaxMessageBytes) == kQuitAnswer;
    socket.abort();
    return Answer{*peer, answered};
}

std::optional<pid_t> LinuxInstanceLock::listenerOf(const QString &serverName) const
{
    QLocalSocket socket;
    const std::optional<pid_t> peer = connectTo(socket, serverName);
    socket.abort();
    return peer;
}

bool LinuxInstanceLock::isOurs(pid_t pid) const
{
    return pid > 0 && m_identity && runsExecutable(pid, *m_identity);
}

void LinuxInstanceLock::start(std::function<void()> onReady)
{
    if (m_started)
        return;
    m_started = true;
    m_onReady = std::move(onReady);

    QString lockPath = m_options.lockFilePath;
    if (lockPath.isEmpty()) {
        lockPath = m_options.serverName.contains(u'/') ? m_options.serverName + QStringLiteral(".lock")
                                                       : QDir::tempPath() + u'/' + m_options.serverName + QStringLiteral(".lock");
    }
    m_lockFd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd < 0)
        qCWarning(lcPlatform) << "instance lock file could not be opened; two starts at once may both run:"
                              << lockPath << std::strerror(errno);

    if (m_hold)
        m_hold->open();

    const Clock::time_point now = Clock::now();
    m_askedNames = QStringList{m_options.serverName} + m_options.otherServerNames;
    for (const QString &name : std::as_const(m_askedNames)) {
        const std::optional<Answer> answer = askToQuit(name);
        if (!answer)
            continue;
        qCInfo(lcPlatform).noquote() << "asked the running instance at" << name << "to quit"
                                     << (answer->answered ? "; it is quitting" : "; it did not answer");
        waitFor(name, *answer, now);
    }
    if (m_asked.isEmpty() && tryLock()) {
        becomeReady();
        return;
    }
    waitStep();
}

HistoryLockReason LinuxInstanceLock::historyLockReason() const
{
    return m_hold ? m_hold->reason() : HistoryLockReason::None;
}

bool LinuxInstanceLock::holdsHistory() const
{
    return !m_hold || m_hold->holdsHistory();
}

HistoryFolderCheck LinuxInstanceLock::checkHistoryFolder()
{
    return m_hold ? m_hold->check() : HistoryFolderCheck{};
}

QString LinuxInstanceLock::historyLockProblem() const
{
    return m_hold ? m_hold->problem() : QString();
}

void LinuxInstanceLock::askHistoryHolder()
{
    QByteArray holder = m_hold->note();
    // The note may be gone or stale (a file deleted or replaced while its writer ran): the kernel
    // names the folder's holder all the same, and that process names the socket it listens on.
    const pid_t listed = m_hold->folderHolder();
    if (listed > 0)
        m_historyHolder = listed;
    const QList<QByteArray> lines = holder.split('\n');
    bool isNumber = false;
    pid_t pid = lines.size() >= 2 ? pid_t(lines.at(0).toLong(&isNumber)) : 0;
    QString serverName = lines.size() >= 2 ? QFile::decodeName(lines.at(1)) : QString();
    if (!isNumber || pid <= 0 || (listed > 0 && pid != listed)) {
        holder = HistoryFolderHold::noteHeldBy(listed, m_hold->notePath());
        const QList<QByteArray> held = holder.split('\n');
        pid = listed;
        serverName = held.size() >= 2 ? QFile::decodeName(held.at(1)) : QString();
        holder = "held by " + QByteArray::number(listed) + '\n' + holder;
    }
    if (holder == m_askedHolder)
        return;
    m_askedHolder = holder;
    if (pid <= 0 || serverName.isEmpty() || m_askedNames.contains(serverName))
        return;
    m_askedNames.append(serverName);
    const std::optional<Answer> answer = askToQuit(serverName);
    if (!answer) {
        // Gone (the note is left by one that ended), or listening where this start cannot reach.
        qCInfo(lcPlatform).noquote() << "the instance noted as the history's writer (" << pid << ") could not be asked at"
                                     << serverName;
        return;
    }
    qCInfo(lcPlatform).noquote() << "asked the instance that writes the history, at" << serverName << ", to quit"
                                 << (answer->answered ? "; it is quitting" : "; it did not answer");
    if (m_historyHolder == 0 && answer->pid > 0 && answer->pid != ::getpid())
        m_historyHolder = answer->pid;
    waitFor(serverName, *answer, Clock::now());
}

void LinuxInstanceLock::waitFor(const QString &serverName, const Answer &answer, Clock::time_point now)
{
    // This very process may listen on the name too (a test runs two locks side by side).
    if (answer.pid == ::getpid())
        return;
    Asked asked{serverName, answer.pid, answer.answered, now + m_options.forceQuitDelay, now + kAnswerCheckInterval,
                false};
    // One that answered may be finishing its last writes: it gets as long as they may take.
    if (answer.answered && isOurs(answer.pid))
        asked.killAt = now + m_options.quitWait;
    m_asked.append(asked);
    // The wait for the lock starts again once this one is done.
    m_lockDeadline.reset();
}

// A start in the same moment as this one found nobody listening either, and took the runtime
// folder's lock first: it listens on the same name a moment later, and is asked then, as one
// found at the start would have been. So is one that took the lock after another asked to quit
// had let it go. Each listener is asked once.
void LinuxInstanceLock::askWhoListensNow()
{
    if (m_lockFd < 0)
        return;
    for (const Asked &asked : std::as_const(m_asked)) {
        if (!asked.done && asked.serverName == m_options.serverName)
            return;
    }
    const std::optional<pid_t> listener = listenerOf(m_options.serverName);
    if (!listener || *listener == ::getpid())
        return;
    for (const Asked &asked : std::as_const(m_asked)) {
        if (asked.serverName == m_options.serverName && asked.pid == *listener)
            return;
    }
    const std::optional<Answer> answer = askToQuit(m_options.serverName);
    if (!answer)
        return;
    qCInfo(lcPlatform).noquote() << "asked the instance that took the lock meanwhile, at" << m_options.serverName
                                 << ", to quit" << (answer->answered ? "; it is quitting" : "; it did not answer");
    waitFor(m_options.serverName, *answer, Clock::now());
}

void LinuxInstanceLock::waitStep()
{
    if (tryLock()) {
        becomeReady();
        return;
    }
    // The history's holder may have noted itself only now, or another may have taken its place.
    if (m_waitingForHistory)
        askHistoryHolder();
    else
        askWhoListensNow();
    const Clock::time_point now = Clock::now();
    bool waiting = false;
    for (Asked &asked : m_asked) {
        if (asked.done)
            continue;
        if (!isOurs(asked.pid)) {
            // Ended, or not Tarnel (never killed): waited for only during the grace.
            asked.done = asked.pid > 0 && asked.answered ? true : now >= asked.killAt;
            waiting = waiting || !asked.done;
            continue;
        }
        if (asked.answered && now >= asked.nextCheck) {
            asked.nextCheck = now + kAnswerCheckInterval;
            const std::optional<Answer> again = askToQuit(asked.serverName);
            // Connected, yet silent: stopped or hung, it will not finish anything. (Nobody
            // listening means it is closing down.)
            if (again && again->pid == asked.pid && !again->answered) {
                qCWarning(lcPlatform) << "instance" << asked.pid << "stopped answering";
                asked.killAt = now;
            }
        }
        if (now < asked.killAt) {
            waiting = true;
            continue;
        }
        asked.done = true;
        // Checked right before the kill, so a process that quit (and whose pid went to some
        // other program) is never hit.
        if (!isOurs(asked.pid))
            continue;
        if (::kill(asked.pid, SIGKILL) == 0)
            qCInfo(lcPlatform) << "forced instance" << asked.pid << "to quit";
        else
            qCWarning(lcPlatform) << "could not force instance" << asked.pid << "to quit";
    }
    if (!waiting && !m_lockDeadline)
        m_lockDeadline = now + m_options.lockWait;
    if (m_lockDeadline && now >= *m_lockDeadline) {
        // Another instance runs and stays: two would overwrite each other's settings and history.
        const pid_t other = blockingInstance();
        const std::optional<ExecutableIdentity> executable = identityOfProcess(other);
        const QString path = executable ? executable->path : QString();
        if (m_waitingForHistory)
            qCWarning(lcPlatform).noquote() << "the history in" << m_hold->folderPath()
                                            << "is kept by another Tarnel instance that did not quit (process" << other
                                            << (path.isEmpty() ? QStringLiteral("unknown program") : path) << "); this one ends";
        else
            qCWarning(lcPlatform).noquote() << "another Tarnel instance keeps running (process" << other
                                            << (path.isEmpty() ? QStringLiteral("unknown program") : path) << "); this one ends";
        Q_EMIT gaveWay(qint64(other), path);
        return;
    }
    QTimer::singleShot(kLockPollInterval, this, [this] { waitStep(); });
}

pid_t LinuxInstanceLock::blockingInstance() const
{
    if (m_waitingForHistory && m_historyHolder > 0)
        return m_historyHolder;
    const pid_t holder = m_waitingForHistory ? m_hold->folderHolder() : flockHolder(m_lockFd);
    if (holder > 0)
        return holder;
    // One of a build that locked the history's file alone.
    if (const pid_t fileHolder = m_waitingForHistory ? m_hold->noteHolder() : 0)
        return fileHolder;
    for (const Asked &asked : m_asked) {
        if (asked.pid > 0 && asked.pid != ::getpid() && ::kill(asked.pid, 0) == 0)
            return asked.pid;
    }
    return 0;
}

bool LinuxInstanceLock::tryLock()
{
    // Without a lock file the socket is the only guard, as it was before the lock existed.
    if (m_lockFd >= 0 && ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return false;
        qCWarning(lcPlatform) << "the instance lock could not be taken (" << std::strerror(errno)
                              << "); only the socket keeps two starts at once apart";
        ::close(m_lockFd);
        m_lockFd = -1;
    }
    // Only together with the runtime folder's, and after it: two starts that share both never
    // hold one each.
    m_waitingForHistory = m_hold && !m_hold->tryTake();
    return !m_waitingForHistory;
}

void LinuxInstanceLock::becomeReady()
{
    listen();
    if (m_hold)
        m_hold->becomeReady(m_listeningName);
    if (const std::function<void()> onReady = std::exchange(m_onReady, nullptr))
        onReady();
}

void LinuxInstanceLock::listen()
{
    m_serverThread = new QThread(this);
    m_serverThread->setObjectName(QStringLiteral("InstanceSocket"));
    m_serverContext = new QObject;
    m_serverContext->moveToThread(m_serverThread);
    connect(m_serverThread, &QThread::finished, m_serverContext, &QObject::deleteLater);
    m_serverThread->start();
    // Listening before start() returns: the next instance to start finds this one.
    QMetaObject::invokeMethod(m_serverContext, [this] { serve(); }, Qt::BlockingQueuedConnection);
}

// On the socket's thread.
void LinuxInstanceLock::serve()
{
    auto *server = new QLocalServer(m_serverContext);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_options.serverName)) {
        // The socket of an instance that was killed stays behind; nobody answers on it. (A live
        // Tarnel listener would hold the lock that this instance now holds.)
        QLocalServer::removeServer(m_options.serverName);
        if (!server->listen(m_options.serverName)) {
            qCWarning(lcPlatform) << "instance socket could not be opened:" << server->errorString();
            return;
        }
    }
    m_listeningName = server->fullServerName();
    connect(server, &QLocalServer::newConnection, m_serverContext, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, m_serverContext, [this, socket] { readRequest(socket); });
            // The request may already be buffered, in which case no further readyRead comes.
            readRequest(socket);
        }
    });
}

// On the socket's thread.
void LinuxInstanceLock::readRequest(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > kMaxMessageBytes) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine())
        return;
    const QByteArray line = socket->readLine(kMaxMessageBytes);
    if (line == kQuitMessage)
        socket->write(kQuitAnswer);
    socket->disconnectFromServer();
    if (line == kQuitMessage)
        QMetaObject::invokeMethod(this, [this] { Q_EMIT quitRequested(); }, Qt::QueuedConnection);
}
