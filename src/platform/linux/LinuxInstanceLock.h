#pragma once

#include "platform/InstanceLock.h"
#include "platform/linux/HistoryFolderHold.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <sys/types.h>

class QLocalSocket;
class QThread;

// One running Tarnel per user, through a local socket in the user's runtime folder.
//
// A new instance sends "quit" to whoever listens on the socket names and learns from the
// socket which process that is. An instance answers the request at once, from a thread of its
// own, and keeps answering while it finishes its last writes; the new instance waits for it as
// long as those writes may take, asking again now and then. Only an instance that does not
// answer (hung, stopped), or that is still there when that wait is over, is killed, and only
// when its executable is positively Tarnel's (the same file, or the same path whose file an
// update replaced). A process whose executable cannot be read is never a match, and nothing
// is ever matched by name.
//
// The socket alone cannot decide between two instances started in the same moment (both
// find nobody listening, both listen). An advisory lock on a file next to the socket does:
// an instance listens and runs only while it holds that lock, which the kernel drops when
// the holder ends, however it ends. An instance that cannot get the lock within a bound
// (the holder neither quit nor could be made to) gives way through gaveWay(), naming the holder.
//
// Where the socket lives depends on the environment of each start (a shell of the same user may
// name no runtime folder), so the history has a hold of its own (HistoryFolderHold): the history's
// folder, locked, with a note of who holds it. An instance runs only while it holds that one too.
// A start that finds the history held asks its holder as the note names it; when the note names
// nobody, it asks the process that the kernel lists as the folder's holder, on the socket that
// process listens on. A holder that cannot be asked at all is never run beside: the new start
// ends, and names it. A start that takes the lock and finds the note of a running Tarnel (a folder
// restored from a backup while it ran) asks it to quit before it runs.
class LinuxInstanceLock : public InstanceLock
{
    Q_OBJECT

public:
    // An instance that does not answer a quit request is killed after this grace.
    static constexpr std::chrono::milliseconds kForceQuitDelay{400};
    // Bound on each blocking step of asking a running instance (connect, send).
    static constexpr std::chrono::milliseconds kAskTimeout{100};
    // How long an instance that received the request may take to answer it.
    static constexpr std::chrono::milliseconds kAnswerTimeout{1000};
    // How often an instance that is quitting is asked again whether it still answers.
    static constexpr std::chrono::milliseconds kAnswerCheckInterval{1000};
    // How long an instance that answered may take to end; the program passes the bound of
    // its own last writes.
    static constexpr std::chrono::milliseconds kQuitWait{30000};
    // How long a new instance waits for the lock once the others ended or were made to.
    static constexpr std::chrono::milliseconds kLockWait{2000};
    static constexpr std::chrono::milliseconds kLockPollInterval{20};
    // How often a run that holds no history folder tries again to take it.
    static constexpr std::chrono::milliseconds kHistoryRetakeInterval = HistoryFolderHold::kRetakeInterval;

    struct Options {
        // The name this instance listens on.
        QString serverName = defaultServerName();
        // Names that are only asked to quit (the earlier product's, and an earlier version's).
        QStringList otherServerNames = otherDefaultServerNames();
        // The executable whose processes count as Tarnel; empty means this process's own.
        QString executable;
        std::chrono::milliseconds forceQuitDelay = kForceQuitDelay;
        std::chrono::milliseconds quitWait = kQuitWait;
        std::chrono::milliseconds lockWait = kLockWait;
        // The lock file; empty means the server name's path plus ".lock".
        QString lockFilePath;
        // The note file beside the history, in the folder that is locked; no history lock when empty.
        QString historyLockFilePath;
        // The history's database in that folder, watched for what other programs write into it.
        QString historyDatabase;
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
    bool holdsHistory() const override;
    QString historyLockProblem() const override;
    HistoryLockReason historyLockReason() const override;
    HistoryFolderCheck checkHistoryFolder() override;

    // In the runtime folder; without one, in a folder of the user's own (0700).
    static QString defaultServerName();
    static QStringList otherDefaultServerNames();
    static QString earlierProductServerName();

    // The executable of a file path, or of a running process; nothing when it cannot be
    // told (no such process, a kernel thread, a zombie, no permission).
    static std::optional<ExecutableIdentity> identityOfFile(const QString &path);
    static std::optional<ExecutableIdentity> identityOfProcess(pid_t pid);
    static bool runsExecutable(pid_t pid, const ExecutableIdentity &executable);
    // The process, other than this one, that the kernel lists as holding a flock on the file or
    // folder open at fd; 0 when none.
    static pid_t flockHolder(int fd);

private:
    using Clock = std::chrono::steady_clock;
    // Who listened on a name when asked, and whether it answered.
    struct Answer {
        pid_t pid = 0; // 0 when the kernel would not say
        bool answered = false;
    };
    // An instance asked to quit, until it ended, was killed or its grace ran out.
    struct Asked {
        // Where it listens.
        QString serverName;
        pid_t pid = 0;
        bool answered = false;
        Clock::time_point killAt;
        Clock::time_point nextCheck;
        bool done = false;
    };
    // Connects the socket to the name: the process that listens there, 0 when the kernel would
    // not say, nothing when nobody listens.
    static std::optional<pid_t> connectTo(QLocalSocket &socket, const QString &serverName);
    // Nothing when nobody listens on the name.
    std::optional<Answer> askToQuit(const QString &serverName) const;
    // The process that listens on the name, without asking it anything; 0 when the kernel would
    // not say, nothing when nobody listens.
    std::optional<pid_t> listenerOf(const QString &serverName) const;
    bool isOurs(pid_t pid) const;
    // Asks the one that holds the history, as its lock file names it, unless it was asked
    // already or names nobody.
    void askHistoryHolder();
    // Waits for one that listens on the name and was asked, as its answer allows.
    void waitFor(const QString &serverName, const Answer &answer, Clock::time_point now);
    void askWhoListensNow();
    // The instance this start gives way to, as far as it can be told.
    pid_t blockingInstance() const;
    bool tryLock();
    void waitStep();
    void becomeReady();
    void listen();
    void serve();
    void readRequest(QLocalSocket *socket);

    Options m_options;
    std::optional<ExecutableIdentity> m_identity;
    // The socket is served on a thread of its own, so that an instance answers also while its
    // main thread finishes the last writes on the way out.
    QThread *m_serverThread = nullptr;
    QObject *m_serverContext = nullptr;
    int m_lockFd = -1;
    // The hold on the history's folder; none without a note path.
    HistoryFolderHold *m_hold = nullptr;
    // The holder of the history, as the kernel lists it, once known.
    pid_t m_historyHolder = 0;
    // Holding the runtime folder's lock, this instance waits for the history's.
    bool m_waitingForHistory = false;
    // The sockets asked to quit, and the history lock's content when its holder was asked last.
    QStringList m_askedNames;
    QByteArray m_askedHolder;
    // The full name of the socket this instance listens on.
    QString m_listeningName;
    bool m_started = false;
    std::function<void()> m_onReady;
    QList<Asked> m_asked;
    std::optional<Clock::time_point> m_lockDeadline;
};
