#pragma once

// Keeps every thread of the shared pool busy until released, so that work started meanwhile (a
// decode handed to QtConcurrent::run) waits in the queue behind it: a test sees what shows while
// that work is still to come, however fast the machine.

#include <QSemaphore>
#include <QThreadPool>

namespace testsupport {

class HeldThreadPool
{
public:
    HeldThreadPool()
        : m_threads(QThreadPool::globalInstance()->maxThreadCount())
    {
        for (int i = 0; i < m_threads; ++i)
            QThreadPool::globalInstance()->start([this] { m_gate.acquire(); });
    }
    ~HeldThreadPool()
    {
        release();
        QThreadPool::globalInstance()->waitForDone();
    }
    HeldThreadPool(const HeldThreadPool &) = delete;
    HeldThreadPool &operator=(const HeldThreadPool &) = delete;

    void release()
    {
        if (m_released)
            return;
        m_released = true;
        m_gate.release(m_threads);
    }

private:
    int m_threads;
    bool m_released = false;
    QSemaphore m_gate;
};

} // namespace testsupport
