#pragma once

#include "platform/FolderWatcher.h"

#include <QFileSystemWatcher>

// Folder events from the kernel (inotify) through QFileSystemWatcher.
class LinuxFolderWatcher : public FolderWatcher
{
    Q_OBJECT
public:
    explicit LinuxFolderWatcher(QObject *parent = nullptr);

    bool watch(const QString &folder) override;
    void unwatch() override;

private:
    QFileSystemWatcher m_watcher;
};
