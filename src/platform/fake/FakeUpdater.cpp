#include "platform/fake/FakeUpdater.h"

void FakeUpdater::checkForUpdates()
{
    if (!configured) {
        showNotConfiguredAlert();
        return;
    }
    if (canCheckForUpdates())
        ++checksStarted;
}
