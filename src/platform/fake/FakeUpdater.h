#pragma once

#include "platform/TarnelUpdater.h"

// An updater whose update service tests switch on and off; it counts the checks it started.
class FakeUpdater : public TarnelUpdater
{
    Q_OBJECT
public:
    using TarnelUpdater::TarnelUpdater;

    bool isConfigured() const override { return configured; }
    void checkForUpdates() override;

    // The flags as an update service would publish them.
    using TarnelUpdater::setAutomaticallyChecks;
    using TarnelUpdater::setCanCheckForUpdates;

    bool configured = false;
    int checksStarted = 0;
};
