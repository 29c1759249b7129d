#pragma once

#include <QObject>
#include <QString>

#include <functional>

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

Q_SIGNALS:
    // A newer instance asked this one to quit.
    void quitRequested();
    // During start(): another instance keeps running and neither quit nor could be made to, and
    // this one must not run beside it. Its process number (0 when unknown) and executable
    // (empty when unknown).
    void gaveWay(qint64 pid, const QString &executable);
};
