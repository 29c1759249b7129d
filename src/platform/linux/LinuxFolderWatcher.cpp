#include "platform/linux/LinuxFolderWatcher.h"

LinuxFolderWatcher::LinuxFolderWatcher(QObject *parent) : FolderWatcher(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::folderChanged);
}

bool LinuxFolderWatcher::watch(const QString &folder)
{
    unwatch();
    return m_watcher.addPath(folder);
}

void LinuxFolderWatcher::unwatch()
{
    const QStringList watched = m_watcher.directories() + m_watcher.files();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
}
