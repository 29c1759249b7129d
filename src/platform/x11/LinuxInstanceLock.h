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
class LinuxInstanceLock : public InstanceLock
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kForceQuitDelay{400};
    // Bound on each blocking step of asking a running instance (connect, send).
    static constexpr std::chrono::milliseconds kAskTimeout{100};

    struct Options {
        // The name this instance listens on.
        QString serverName = defaultServerName();
        // Names that are only asked to quit (the earlier product's).
        QStringList otherServerNames = {earlierProductServerName()};
        // The executable whose processes count as Tarnel; empty means this process's own.
        QString executable;
        std::chrono::milliseconds forceQuitDelay = kForceQuitDelay;
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
    void listen();
    void readRequest(QLocalSocket *socket);

    Options m_options;
    std::optional<ExecutableIdentity> m_identity;
    QLocalServer *m_server = nullptr;
    bool m_started = false;
};
