#include "platform/Workspace.h"

#include <QCoreApplication>

qint64 Workspace::ownPid() const
{
    return QCoreApplication::applicationPid();
}

std::optional<RunningApplication> Workspace::keyboardHolder(quint64 besides) const
{
    std::optional<RunningApplication> front = frontmostApplication();
    if (front && front->window == besides)
        front.reset();
    return front;
}

std::optional<RunningApplication> Workspace::stillShown(const RunningApplication &application) const
{
    return applicationWithPid(application.pid);
}

std::optional<RunningApplication> Workspace::copySource(quint64) const
{
    std::optional<RunningApplication> front = frontmostApplication();
    if (front && isOwn(*front))
        front.reset();
    return front;
}
