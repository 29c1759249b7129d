#pragma once

#include <QObject>

#include <functional>

// Keeps one Tarnel running per user, and one per history whatever the environment of each start.
//
// start() asks every other running instance to quit. When there is none, onReady runs before
// start() returns; otherwise it runs after a short grace period, once the instances that did
// not quit have been forced to. From then on this instance answers the same request from
// later instances by emitting quitRequested().
class InstanceLock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~InstanceLock() override = default;

    virtual void start(std::function<void()> onReady) = 0;

Q_SIGNALS:
    // A newer instance asked this one to quit, or, during start(), another instance keeps
    // running and this one must not run beside it.
    void quitRequested();
};
