#pragma once

#include "platform/InstanceLock.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;

// One running Tarnel per user, through a local socket in the user's runtime folder.
//
// A new instance sends "quit" to whoever listens on the socket names and learns from the
// socket which process that is. After the grace period, those still running are killed,
// but only when their executable is positively Tarnel's (the same file, or the same path
// whose file an update replaced). A process whose executable cannot be read is never a
// match, and nothing is ever matched by name.
//
// The socket alone cannot decide between two instances started in the same moment (both
// find nobody listening, both listen). An advisory lock on a file next to the socket does:
// an instance listens and runs only while it holds that lock, which the kernel drops when
// the holder ends, however it ends. An instance that cannot get the lock within a bound
// (the holder neither quit nor could be made to) ends itself through quitRequested().
class LinuxInstanceLock : public InstanceLock
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kForceQuitDelay{400};
    // Bound on each blocking step of asking a running instance (connect, send).
    static constexpr std::chrono::milliseconds kAskTimeout{100};
    // How long a new instance waits for the lock after the grace period.
    static constexpr std::chrono::milliseconds kLockWait{2000};
    static constexpr std::chrono::milliseconds kLockPollInterval{20};

    struct Options {
        // The name this instance listens on.
        QString serverName = defaultServerName();
        // Names that are only asked to quit (the earlier product's).
        QStringList otherServerNames = {earlierProductServerName()};
        // The executable whose processes count as Tarnel; empty means this process's own.
        QString executable;
        std::chrono::milliseconds forceQuitDelay = kForceQuitDelay;
        std::chrono::milliseconds lockWait = kLockWait;
        // The lock file; empty means the server name's path plus ".lock".
        QString lockFilePath;
    };

    struct ExecutableIdentity {
        dev_t device = 0;
        ino_t inode = 0;
        QString path;
        bool operator==(const ExecutableIdentity &) const = default;
    };

    explicit LinuxInstanceLock(QObject *parent = nullptr);
    explicit LinuxInstanceLock(Options options, QObject *parent = nullptr);
    ~LinuxInstanceLock() override;

    void start(std::function<void()> onReady) override;

    static QString defaultServerName();
    static QString earlierProductServerName();

    // The executable of a file path, or of a running process; nothing when it cannot be
    // told (no such process, a kernel thread, a zombie, no permission).
    static std::optional<ExecutableIdentity> identityOfFile(const QString &path);
    static std::optional<ExecutableIdentity> identityOfProcess(pid_t pid);
    static bool runsExecutable(pid_t pid, const ExecutableIdentity &executable);

private:
    // The process listening on the name, once asked; nothing when nobody listens.
    std::optional<pid_t> askToQuit(const QString &serverName) const;
    void forceQuit(const QList<pid_t> &asked);
    bool tryLock();
    void waitForLock(std::chrono::steady_clock::time_point deadline, std::function<void()> onReady);
    void listen();
    void readRequest(QLocalSocket *socket);

    Options m_options;
    std::optional<ExecutableIdentity> m_identity;
    QLocalServer *m_server = nullptr;
    int m_lockFd = -1;
    bool m_started = false;
};
