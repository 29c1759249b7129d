#pragma once

#include "platform/FolderWatcher.h"

#include <QStringList>

// A folder watcher that tests drive: they decide whether watching works and when events come.
class FakeFolderWatcher : public FolderWatcher
{
    Q_OBJECT
public:
    using FolderWatcher::FolderWatcher;

    bool watch(const QString &folder) override;
    void unwatch() override;

    // Sends one folder event, as the system would after a change.
    void emitChange();
    // Tells that the watched folder left its path, as the system would after a rename.
    void emitWatchLost();

    bool watchSucceeds = true;
    // The folder being watched, empty while none.
    QString watchedFolder;
    // Every folder passed to watch(), in order.
    QStringList watchRequests;
};
