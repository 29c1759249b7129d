#pragma once

#include "platform/FolderWatcher.h"

#include <QList>
#include <QSocketNotifier>

#include <memory>

// Folder events from the kernel (inotify). A watch follows a folder's inode, wherever it is
// renamed to, so the folders above it are watched as well: when the folder or one of them is
// renamed, deleted or unmounted, the watch no longer hears the path, and watchLost() says so.
class LinuxFolderWatcher : public FolderWatcher
{
    Q_OBJECT
public:
    explicit LinuxFolderWatcher(QObject *parent = nullptr);
    ~LinuxFolderWatcher() override;

    bool watch(const QString &folder) override;
    void unwatch() override;

private:
    // The kernel's event queue, made if there is none yet; false when the system gives none.
    bool openEvents();
    void readEvents();

    int m_fd = -1;
    bool m_unavailableReported = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_folderWatch = -1;
    QList<int> m_pathWatches; // the folders above the watched one
};
