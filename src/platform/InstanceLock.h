#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Why the history's folder could not be locked, so that what the user is told to do helps.
enum class HistoryLockReason {
    None,
    // The file system takes no locks (a network home without a lock manager).
    NoLocks,
    // The folder cannot be made or opened: the disk is read-only, or the user may not write there.
    NotWritable,
    // Something that is not a folder stands where the folder or one above it should be.
    NotAFolder,
    Other,
};

// What a look at the history's folder found, for the writer of the history.
struct HistoryFolderCheck {
    // This instance holds the folder at the history's path, and may write there.
    bool held = true;
    // Raised each time the folder at the path is taken anew (it was deleted, renamed away or
    // replaced, or could not be had before): the whole history is then written there again.
    quint64 generation = 0;
    // The folder held before the last one, as long as it is still there to read from (renamed
    // or moved aside): image files missing at the path are taken from it. Empty when none.
    QString previousFolder;
};

// Keeps one Tarnel running per user, and one per history whatever the environment of each start.
//
// start() asks every other running instance to quit. When there is none, onReady runs before
// start() returns; otherwise it runs after a short grace period, once the instances that did
// not quit have been forced to. From then on this instance answers the same request from
// later instances by emitting quitRequested(). When another instance keeps running and cannot
// be made to quit, onReady never runs: gaveWay() names that instance instead.
class InstanceLock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~InstanceLock() override = default;

    virtual void start(std::function<void()> onReady) = 0;
    // From onReady on: whether this instance is the history's one writer. Not when no lock could
    // be had at all (a file system without locks): another writer cannot be ruled out, so the
    // history is read and never written.
    virtual bool holdsHistory() const { return true; }
    // Why the history could not be locked, for the user: the folder and the system's reason.
    virtual QString historyLockProblem() const { return {}; }
    virtual HistoryLockReason historyLockReason() const { return HistoryLockReason::None; }
    // Any thread, before each write of the history: whether the path still names the folder held.
    // When it no longer does, the folder at the path is taken (made afresh when gone), and the
    // generation rises; when it cannot be (another instance holds it, or the disk refuses), it is
    // not held and nothing may be written there. A run that holds no folder tries again here.
    virtual HistoryFolderCheck checkHistoryFolder() { return {}; }

Q_SIGNALS:
    // A newer instance asked this one to quit.
    void quitRequested();
    // During start(): another instance keeps running and neither quit nor could be made to, and
    // this one must not run beside it. Its process number (0 when unknown) and executable
    // (empty when unknown).
    void gaveWay(qint64 pid, const QString &executable);
    // Main thread: the folder of the history was taken anew at its path (see checkHistoryFolder),
    // also by a run that held none before: the whole history is to be written there.
    void historyFolderTaken();
    // Main thread: something changed in the history's folder or was written into its database
    // (a file deleted, moved, replaced or made unreadable, by another program or by this one):
    // the files are to be looked at before the copies held are trusted to them.
    void historyFilesChanged();
};
