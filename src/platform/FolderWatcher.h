#pragma once

#include <QObject>
#include <QString>

// Event source on one folder: tells when the folder's entries may have changed (a file created,
// written, renamed, deleted or its attributes changed). It says nothing about which file; the
// listener rescans. Events may be spurious, coalesced or missed, so listeners also poll.
// The folder is the one at the watched path: when it no longer is (renamed away, deleted, its
// disk unmounted, or a folder above it renamed), watchLost() comes and no event follows until
// watch() is called again, on whatever folder the path then leads to.
class FolderWatcher : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~FolderWatcher() override = default;

    // Watches `folder` instead of any earlier one; false when the folder cannot be watched.
    virtual bool watch(const QString &folder) = 0;
    // Ends watching; no folderChanged follows.
    virtual void unwatch() = 0;

Q_SIGNALS:
    void folderChanged();
    void watchLost();
};
