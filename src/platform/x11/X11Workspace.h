#pragma once

#include "platform/Workspace.h"
#include "platform/x11/X11Connection.h"

// The front application and activation through the window manager's EWMH properties.
class X11Workspace : public Workspace {
    Q_OBJECT
public:
    explicit X11Workspace(QObject *parent = nullptr);

    bool isUsable() const { return m_usable; }

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> applicationWithPid(qint64 pid) const override;
    bool activate(const RunningApplication &application) override;
    std::optional<RunningApplication> keyboardHolder(quint64 besides) const override;

private:
    RunningApplication applicationFor(unsigned long window) const;

    X11Connection m_connection;
    bool m_usable = false;
};
