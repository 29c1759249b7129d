#pragma once

#include "platform/TarnelUpdater.h"

// Linux has no in-application update service: packages are updated by the system's package
// manager. The button of the settings stays enabled and explains that no update server is set up.
class LinuxUpdater : public TarnelUpdater
{
    Q_OBJECT
public:
    using TarnelUpdater::TarnelUpdater;

    bool isConfigured() const override { return false; }
    void checkForUpdates() override { showNotConfiguredAlert(); }
};
