#include "platform/fake/FakeWorkspace.h"

std::optional<RunningApplication> FakeWorkspace::applicationWithPid(qint64 pid) const
{
    for (const RunningApplication &application : m_applications) {
        if (application.pid == pid)
            return application;
    }
    return std::nullopt;
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
