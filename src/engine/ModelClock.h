#pragma once

#include <QDateTime>
#include <QObject>

#include <chrono>
#include <functional>

// Time as the model sees it: the present moment and delayed work on the main thread. The model
// asks only this object, so tests can move time forward without sleeping.
class ModelClock
{
public:
    virtual ~ModelClock() = default;
    virtual QDateTime now() const = 0;
    // Runs work once after the delay, on the main thread, unless context is gone by then.
    virtual void singleShot(std::chrono::milliseconds delay, QObject *context, std::function<void()> work) = 0;
};

// The wall clock and Qt's timers.
class SystemModelClock final : public ModelClock
{
public:
    QDateTime now() const override;
    void singleShot(std::chrono::milliseconds delay, QObject *context, std::function<void()> work) override;
};
