#include "platform/x11/LinuxInstanceLock.h"

#include "core/Logging.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kQuitMessage = QByteArrayLiteral("quit\n");
// A quit request is one short line; anything longer is not ours.
constexpr qint64 kMaxMessageBytes = 64;
const QString kDeletedSuffix = QStringLiteral(" (deleted)");

QString runtimeName(const QString &base)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + u'/' + base;
    return base + u'-' + QString::number(::getuid());
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
}

LinuxInstanceLock::~LinuxInstanceLock()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString LinuxInstanceLock::defaultServerName()
{
    return runtimeName(QStringLiteral("tarnel-instance"));
}

QString LinuxInstanceLock::earlierProductServerName()
{
    return runtimeName(QStringLiteral("quorvel-instance"));
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

std::optional<pid_t> LinuxInstanceLock::askToQuit(const QString &serverName) const
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(int(kAskTimeout.count())))
        return std::nullopt;
    // The kernel tells who listens; that process, and no other, is the one asked.
    ucred peer{};
    socklen_t length = sizeof peer;
    const bool known = ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0
        && peer.pid > 0 && peer.uid == ::getuid();
    socket.write(kQuitMessage);
    socket.waitForBytesWritten(int(kAskTimeout.count()));
    socket.disconnectFromServer();
    return known ? peer.pid : 0;
}

void LinuxInstanceLock::start(std::function<void()> onReady)
{
    if (m_started)
        return;
    m_started = true;

    QString lockPath = m_options.lockFilePath;
    if (lockPath.isEmpty()) {
        lockPath = m_options.serverName.contains(u'/') ? m_options.serverName + QStringLiteral(".lock")
                                                       : QDir::tempPath() + u'/' + m_options.serverName + QStringLiteral(".lock");
    }
    m_lockFd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd < 0)
        qCWarning(lcPlatform) << "instance lock file could not be opened; two starts at once may both run:"
                              << lockPath << std::strerror(errno);

    QList<pid_t> asked;
    for (const QString &name : QStringList{m_options.serverName} + m_options.otherServerNames) {
        if (const auto pid = askToQuit(name)) {
            qCInfo(lcPlatform).noquote() << "asked the running instance at" << name << "to quit";
            if (*pid > 0 && *pid != ::getpid())
                asked.append(*pid);
            else if (*pid == 0)
                asked.append(0); // someone listens, though the kernel would not say who
        }
    }
    if (asked.isEmpty() && tryLock()) {
        listen();
        if (onReady)
            onReady();
        return;
    }
    const auto grace = asked.isEmpty() ? std::chrono::milliseconds(0) : m_options.forceQuitDelay;
    QTimer::singleShot(grace, this, [this, asked, onReady = std::move(onReady)]() mutable {
        forceQuit(asked);
        waitForLock(std::chrono::steady_clock::now() + m_options.lockWait, std::move(onReady));
    });
}

bool LinuxInstanceLock::tryLock()
{
    // Without a lock file the socket is the only guard, as it was before the lock existed.
    return m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0;
}

void LinuxInstanceLock::waitForLock(std::chrono::steady_clock::time_point deadline, std::function<void()> onReady)
{
    if (tryLock()) {
        listen();
        if (onReady)
            onReady();
        return;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
        // Another instance runs and stays: two would overwrite each other's settings and history.
        qCWarning(lcPlatform) << "another Tarnel instance keeps running; this one ends";
        Q_EMIT quitRequested();
        return;
    }
    QTimer::singleShot(kLockPollInterval, this, [this, deadline, onReady = std::move(onReady)]() mutable {
        waitForLock(deadline, std::move(onReady));
    });
}

void LinuxInstanceLock::forceQuit(const QList<pid_t> &asked)
{
    for (const pid_t pid : asked) {
        // Checked right before the kill, so a process that quit (and whose pid went to some
        // other program) is never hit.
        if (pid <= 0 || !m_identity || !runsExecutable(pid, *m_identity))
            continue;
        if (::kill(pid, SIGKILL) == 0)
            qCInfo(lcPlatform) << "forced instance" << pid << "to quit";
        else
            qCWarning(lcPlatform) << "could not force instance" << pid << "to quit";
    }
}

void LinuxInstanceLock::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_options.serverName)) {
        // The socket of an instance that was killed stays behind; nobody answers on it. (A live
        // Tarnel listener would hold the lock that this instance now holds.)
        QLocalServer::removeServer(m_options.serverName);
        if (!m_server->listen(m_options.serverName)) {
            qCWarning(lcPlatform) << "instance socket could not be opened:" << m_server->errorString();
            return;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            // The request may already be buffered, in which case no further readyRead comes.
            readRequest(socket);
        }
    });
}

void LinuxInstanceLock::readRequest(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > kMaxMessageBytes) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine())
        return;
    const QByteArray line = socket->readLine(kMaxMessageBytes);
    socket->disconnectFromServer();
    if (line == kQuitMessage)
        Q_EMIT quitRequested();
}
