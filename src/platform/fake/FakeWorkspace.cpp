#include "platform/fake/FakeWorkspace.h"

std::optional<RunningApplication> FakeWorkspace::applicationWithPid(qint64 pid) const
{
    // As on the desktop: a window that names no process (pid 0) is no process's window.
    if (pid <= 0)
        return std::nullopt;
    for (const RunningApplication &application : m_applications) {
        if (application.pid == pid)
            return application;
    }
    return std::nullopt;
}

std::optional<RunningApplication> FakeWorkspace::stillShown(const RunningApplication &application) const
{
    for (const RunningApplication &shown : m_applications) {
        if (shown.window == application.window)
            return shown;
    }
    return applicationWithPid(application.pid);
}

bool FakeWorkspace::activate(const RunningApplication &application)
{
    m_activations.append(application);
    if (!m_applications.contains(application))
        return false;
    m_front = application;
    return true;
}

void FakeWorkspace::setFrontmostApplication(std::optional<RunningApplication> application)
{
    m_front = std::move(application);
    if (m_front && !m_applications.contains(*m_front))
        m_applications.append(*m_front);
}
