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
// A new instance sends "quit" to whoever listens on the socket names, and every process of
// this user that runs Tarnel's own executable counts as running. After the grace period,
// those still running are killed; a process is only ever killed when its executable is
// positively Tarnel's (same file, or the same path whose file was replaced by an update).
// A process whose executable cannot be read is never a match, nor is one matched by name.
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
    // This user's processes, other than the calling one, that run the executable.
    static QList<pid_t> processesRunning(const ExecutableIdentity &executable);

private:
    bool askToQuit(const QString &serverName) const;
    QList<pid_t> otherInstances() const;
    void forceQuitRemaining();
    void listen();
    void readRequest(QLocalSocket *socket);

    Options m_options;
    std::optional<ExecutableIdentity> m_identity;
    QLocalServer *m_server = nullptr;
    bool m_started = false;
};
