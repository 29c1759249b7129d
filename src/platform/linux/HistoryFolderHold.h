#pragma once

#include "platform/InstanceLock.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <sys/types.h>

class HistoryFolderLook;
class QThread;

// The hold of one running Tarnel on the history's files, whatever the environment of each start.
//
// The history's folder itself is opened and locked, which no state of any file in it can
// sidestep. Its holder notes its process and the socket it listens on in a file beside the history
// (taken back when something else of that name is there), so that a start that finds the history
// held can ask it to quit.
//
// Where the folder cannot be locked at all (a file system without locks, a read-only disk on which
// it cannot be made), the run goes on as no writer of the history: holdsHistory() says so. It keeps
// trying, when the data folder changes and now and then, and once it holds the folder it says so
// through taken().
//
// The history lives at its path, not in the folder first opened: deleted, renamed away or replaced
// while the run holds it, the folder at the path is taken (made afresh when gone) before the next
// write, and the history is written there whole. The folder is looked at on a thread of its own
// (HistoryFolderLook), which also takes it anew: a disk that hangs never holds the interface.
class HistoryFolderHold : public QObject {
    Q_OBJECT

public:
    // How often a run that holds no history folder tries again to take it.
    static constexpr std::chrono::milliseconds kRetakeInterval{2000};
    // How long a change seen around the data folder is left to settle before it is looked at: a
    // start from another environment right after the change finds this run at the path.
    static constexpr std::chrono::milliseconds kFolderSettle{200};

    // notePath: the note file in the folder that is held. isOurs tells whether a process runs
    // Tarnel's own executable.
    HistoryFolderHold(QString notePath, std::function<bool(pid_t)> isOurs, QObject *parent = nullptr);
    ~HistoryFolderHold() override;

    QString notePath() const { return m_notePath; }
    QString folderPath() const;

    // Opens the folder (made when missing) and the note, without locking them yet.
    void open();
    // Takes the folder's lock, and the note's as builds that locked the file alone take it. False
    // while another instance holds the history, or the note names a Tarnel that still runs (the
    // folder was replaced under it); true once taken, or when no lock can be had at all.
    bool tryTake();
    // What the note says now: a process number and a socket path, a line each.
    QByteArray note() const;
    // The process, other than this one, that the kernel lists as holding the folder (or, of a
    // build that locked the file alone, the note); 0 when none.
    pid_t folderHolder() const;
    pid_t noteHolder() const;
    // The note of the history's holder as that process keeps it open, also when its file was
    // deleted or replaced at the path; empty when it keeps none.
    static QByteArray noteHeldBy(pid_t pid, const QString &notePath);

    // Before becomeReady: the history's database in the folder, watched for what is written into it.
    void watchDatabase(const QString &path) { m_database = path; }
    // Once the run is ready and listens on listeningName: notes it, and watches the folder.
    void becomeReady(const QString &listeningName);

    bool holdsHistory() const;
    QString problem() const;
    HistoryLockReason reason() const;
    HistoryFolderCheck check();
    // The reason a folder could not be opened or locked with this error, looking at what stands
    // on the way to it.
    static HistoryLockReason reasonFor(int error);

Q_SIGNALS:
    // The folder at the path was taken anew (see InstanceLock::historyFolderTaken).
    void taken();
    // Another instance now holds the folder at the path: this run gives way.
    void gaveWay();
    // Something changed in the folder held or was written into its database, and has settled
    // (see InstanceLock::historyFilesChanged).
    void filesChanged();
    // The folder is looked at from now on: some time after becomeReady, once the look's own
    // thread watches it and has taken anew a folder replaced meanwhile.
    void watching();

private:
    void openNote();
    // Why the folder could not be opened or locked: the error of the step that failed on the way
    // to it (a read-only or closed folder above it, a file in its place), else the one given.
    int folderProblem(int error) const;
    void noteLockError(int error);
    // Holding the folder's lock: whether the note names another Tarnel that still runs, and so
    // writes a folder that was replaced at this path.
    bool notedWriterRunsElsewhere() const;
    // Under m_mutex, once ready: whether the path still names the folder held.
    bool pathNamesHeldFolder() const;
    // Under m_mutex: takes the folder at the path, made afresh when gone.
    bool takeFolderAtPath();
    // On the look's thread: the data folder changed or a retry is due.
    void review();
    // Holding the folder's lock: a note file that cannot be written (another user's, a folder, a
    // link, not writable) is replaced by one of this user's own.
    void takeBackNote();
    void makeOwnNoteWritable();
    void writeNote();

    QString m_notePath;
    std::function<bool(pid_t)> m_isOurs;
    QString m_listeningName;
    QString m_database;
    int m_noteFd = -1;
    bool m_noteWritable = false;
    bool m_noteOwn = false;
    // The history's folder, locked for the whole run.
    int m_folderFd = -1;
    // Set when the folder could not be locked for another reason than another holder. Written
    // under m_mutex once ready, and read without it: the interface asks, and a check may hold the
    // mutex for as long as a disk that hangs takes to answer.
    std::atomic<int> m_lockError = 0;
    // The folder held before the folder at the path was taken anew, unlocked and kept open to
    // read the image files that are not at the path.
    int m_previousFolderFd = -1;
    quint64 m_generation = 0;
    // Another instance holds the folder now at the path: this run gave way, once.
    bool m_gaveWayToNewHolder = false;
    // Once ready, the folder's state is read and changed from the history's writer thread too.
    mutable std::mutex m_mutex;
    bool m_ready = false;
    QThread *m_lookThread = nullptr;
    // Lives on m_lookThread.
    HistoryFolderLook *m_look = nullptr;
};
