#pragma once

#include "platform/SettingsStore.h"

#include <QJsonObject>
#include <QString>

#include <sys/types.h>

// A settings domain kept in one JSON file (one object from key to value), readable by its
// owner only. Every write goes to a temporary file that is synced and renamed over the old
// one, so the file on disk is always either the old or the new complete version.
//
// Reads come from memory; the file is read again when another writer (another store on the
// same path, or another process) has replaced it since. The file read is kept open, so that a
// replacement can never take its inode number and pass for it.
//
// A write holds a lock on a file beside the settings (".defaults.json.lock") from the read of
// what another process may have written last to the rename of the new file: two processes that
// change the settings at once keep each other's keys.
//
// A link in the file's place is never followed, for reading or for a mode change: it is set
// aside like an unreadable file, and what it points at is left alone. The folder is kept
// owner-only, since the names in it (set-aside files too) tell what they hold.
class LinuxSettingsStore : public SettingsStore
{
public:
    // A read-only store never changes its folder: an unreadable file is not set aside, old
    // temporary files are not removed, and every write is refused. The earlier product's
    // domain is opened this way, since it belongs to that product.
    enum class Access { ReadWrite, ReadOnly };

    // A file this large is not read (it would stall the start), so none is written either.
    static constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;

    explicit LinuxSettingsStore(QString filePath, Access access = Access::ReadWrite,
                                qint64 maxFileBytes = kMaxFileBytes);
    ~LinuxSettingsStore() override;
    LinuxSettingsStore(const LinuxSettingsStore &) = delete;
    LinuxSettingsStore &operator=(const LinuxSettingsStore &) = delete;

    // $XDG_CONFIG_HOME/Tarnel/defaults.json
    static QString defaultPath();
    // The earlier product's domain, read by the migration only.
    static QString earlierProductPath();

    QString filePath() const { return m_filePath; }
    bool wasReadWhole() const override;
    QString setAsidePath() const override;

protected:
    std::optional<QJsonValue> rawValue(const QString &key) const override;
    bool setRawValue(const QString &key, const std::optional<QJsonValue> &value) override;

private:
    struct FileStamp {
        bool exists = false;
        bool regular = false;
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        bool operator==(const FileStamp &) const = default;
    };

    FileStamp currentStamp() const;
    // Keeps the file just read (or written) open as the one the values came from.
    void holdFile(int fd) const;
    // -1 when the lock file cannot be had; the write then goes ahead alone.
    int lockForWriting() const;
    QString lockPath() const;
    void removeLeftTemporaries() const;
    void reloadIfChanged() const;
    void load() const;
    void removeStaleTemporaries() const;
    void setAsideUnreadableFile(const char *reason) const;
    bool writeFile(const QJsonObject &values);

    QString m_filePath;
    Access m_access;
    qint64 m_maxFileBytes;
    mutable QJsonObject m_values;
    mutable FileStamp m_loadedStamp;
    mutable int m_heldFd = -1;
    mutable bool m_loaded = false;
    mutable bool m_setAside = false;
    mutable QString m_setAsidePath;
};
