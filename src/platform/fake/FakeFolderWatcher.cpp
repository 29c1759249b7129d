#include "platform/fake/FakeFolderWatcher.h"

bool FakeFolderWatcher::watch(const QString &folder)
{
    watchRequests.append(folder);
    watchedFolder = watchSucceeds ? folder : QString();
    return watchSucceeds;
}

void FakeFolderWatcher::unwatch()
{
    watchedFolder.clear();
}

void FakeFolderWatcher::emitChange()
{
    if (!watchedFolder.isEmpty())
        Q_EMIT folderChanged();
}

void FakeFolderWatcher::emitWatchLost()
{
    if (watchedFolder.isEmpty())
        return;
    watchedFolder.clear();
    Q_EMIT watchLost();
}
