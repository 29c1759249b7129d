#pragma once

// While one lives, no file of the process can grow: every write fails as on a full disk (with
// EFBIG rather than ENOSPC), even for root. The signal such a write raises is ignored.

#include <csignal>
#include <sys/resource.h>

class FullDisk
{
public:
    FullDisk()
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previousLimit);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit none = m_previousLimit;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previousLimit);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    struct rlimit m_previousLimit {};
    void (*m_previousHandler)(int) = nullptr;
};
