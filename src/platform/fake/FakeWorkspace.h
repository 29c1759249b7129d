#pragma once

#include "platform/Workspace.h"

#include <QList>

// A desktop in memory: a list of applications, one of them in front.
class FakeWorkspace : public Workspace {
    Q_OBJECT
public:
    using Workspace::Workspace;

    std::optional<RunningApplication> frontmostApplication() const override { return m_front; }
    std::optional<RunningApplication> applicationWithPid(qint64 pid) const override;
    std::optional<RunningApplication> stillShown(const RunningApplication &application) const override;
    // Brings a known application to the front; an unknown one (closed) fails.
    bool activate(const RunningApplication &application) override;
    qint64 ownPid() const override { return m_ownPid; }

    void setFrontmostApplication(std::optional<RunningApplication> application);
    void setApplications(QList<RunningApplication> applications) { m_applications = std::move(applications); }
    void setOwnPid(qint64 pid) { m_ownPid = pid; }
    // Every activate() call, in order.
    const QList<RunningApplication> &activations() const { return m_activations; }

private:
    std::optional<RunningApplication> m_front;
    QList<RunningApplication> m_applications;
    QList<RunningApplication> m_activations;
    qint64 m_ownPid = 4242;
};
