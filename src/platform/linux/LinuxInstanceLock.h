#pragma once

#include "platform/InstanceLock.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <mutex>
#include <optional>
#include <sys/types.h>

class QFileSystemWatcher;
class QLocalSocket;
class QThread;
class QTimer;

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
// name no runtime folder), so the history has a lock of its own: the history's folder itself,
// opened and locked, which no state of any file in it can sidestep. An instance runs only while
// it holds that one too. Its holder notes its process and the socket it listens on in a file
// beside the history (taken back when something else of that name is there), and a start that
// finds the history held asks it there; when the note names nobody, it asks the process that the
// kernel lists as the folder's holder, on the socket that process listens on. A holder that
// cannot be asked at all is never run beside: the new start ends, and names it.
//
// Where the folder cannot be locked at all (a file system without locks, a read-only disk on which
// it cannot be made), the instance still runs, but as no writer of the history: holdsHistory() says
// so. It keeps trying, when the data folder changes and now and then, and once it holds the folder
// it says so through historyFolderTaken().
//
// The history lives at its path, not in the folder first opened: deleted, renamed away or replaced
// while the instance runs, the folder at the path is taken (made afresh when gone) before the next
// write, and the history is written there whole. A start that takes the lock and finds the note of
// a running Tarnel (a folder restored from a backup while it ran) asks it to quit before it runs.
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
    static constexpr std::chrono::milliseconds kHistoryRetakeInterval{2000};
    // How long a change seen around the data folder is left to settle before it is looked at.
    static constexpr std::chrono::milliseconds kHistoryFolderSettle{200};

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
    // The reason a folder could not be opened or locked with this error, looking at what stands
    // on the way to it.
    static HistoryLockReason reasonFor(int error);

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
    // The note of the history's holder as that process keeps it open, also when its file was
    // deleted or replaced at the path; empty when it keeps none.
    static QByteArray noteHeldBy(pid_t pid, const QString &notePath);

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
    void openHistoryLock();
    // The note file in the folder held, opened as openHistoryLock() does.
    void openHistoryNote();
    // Why the folder could not be opened or locked: the error of the step that failed on the way
    // to it (a read-only or closed folder above it, a file in its place), else the one given.
    int folderProblem(int error) const;
    void noteHistoryLockError(int error);
    // Holding the folder's lock: whether the note names another Tarnel that still runs, and so
    // writes a folder that was replaced at this path.
    bool notedWriterRunsElsewhere() const;
    // Under m_historyMutex, once ready: whether the path still names the folder held.
    bool pathNamesHeldFolder() const;
    // Under m_historyMutex: takes the folder at the path, made afresh when gone.
    bool takeHistoryFolderAtPath();
    // Main thread: the data folder changed or the retry timer ran.
    void reviewHistoryFolder();
    void watchHistoryFolder();
    // Holding the folder's lock: a note file that cannot be written (another user's, a folder, a
    // link, not writable) is replaced by one of this user's own.
    void takeBackHistoryNote();
    void makeOwnNoteWritable();
    void writeHistoryHolder();
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
    int m_historyLockFd = -1;
    bool m_historyNoteWritable = false;
    bool m_historyNoteOwn = false;
    // The history's folder, locked for the whole run.
    int m_historyFolderFd = -1;
    // Set when the folder could not be locked for another reason than another holder.
    int m_historyLockError = 0;
    // The folder held before the folder at the path was taken anew, unlocked and kept open to
    // read the image files that are not at the path.
    int m_previousFolderFd = -1;
    quint64 m_historyGeneration = 0;
    // Another instance holds the folder now at the path: this one gave way, once.
    bool m_gaveWayToNewHolder = false;
    // Once ready, the folder's state is read and changed from the history's writer thread too.
    mutable std::mutex m_historyMutex;
    bool m_ready = false;
    QFileSystemWatcher *m_historyWatch = nullptr;
    QTimer *m_historyRetry = nullptr;
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
