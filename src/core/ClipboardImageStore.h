#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Keeps the bytes of history images as files in one private folder, so that the persisted
// history holds only a path per image. Only files directly inside that folder whose names end
// in ".image" are ever read, overwritten or deleted.
class ClipboardImageStore
{
public:
    struct SaveResult {
        QString path;  // the written file; empty on failure
        QString error; // the file system's reason; empty on success
        bool noSpace = false; // the disk (or the user's quota) had no room for it
        bool ok() const { return error.isEmpty(); }
    };

    // An empty folder means the default folder. Creating a store touches no file: the folder
    // is made on the first save.
    explicit ClipboardImageStore(const QString &directoryPath = {});

    // "<data root>/Tarnel/Clipboard Images".
    static QString defaultDirectoryPath();
    // The per-user data folder ($XDG_DATA_HOME); the temporary folder when none is known.
    static QString dataRootPath();
    // The image folder of a product inside a data root; the earlier product used the same layout.
    static QString directoryPathIn(const QString &dataRoot, const QString &productFolder = QStringLiteral("Tarnel"));

    QString directoryPath() const { return m_directoryPath; }

    // True when path, once made absolute and cleaned of "." and "..", names a file directly in
    // the store folder with the extension "image", and nothing on the way is a symbolic link
    // that leads out of the folder.
    bool isManagedPath(const QString &path) const;

    // Writes data atomically to a file of the store with owner-only permissions. A managed
    // reusing path is overwritten in place; otherwise a new file named by a fresh UUID is made.
    // On failure the previous file at the target is left exactly as it was.
    SaveResult save(const QByteArray &data, const QString &reusing = {}) const;

    // The bytes of a managed regular file; nothing for an empty, foreign or unreadable path, and
    // for a file larger than any image the history keeps (ImageSizeRule::kCeilingBytes).
    std::optional<QByteArray> load(const QString &path) const;

    // Folders that may hold copies of stored data set aside as "<name>.unreadable-<time>"; the
    // folder around the store folder (the history database's) is always one. Such a copy may
    // name any image file, so while one is there the sweep deletes nothing.
    void addSetAsideFolder(const QString &folder);
    // The set-aside copies in those folders now, by full path: while any is there, the sweep
    // deletes nothing.
    QStringList setAsideCopies() const;
    // Whether the store folder itself is a symbolic link (a folder shared with something else):
    // its files are read and written, but none is ever deleted by the sweep.
    bool isLinkedFolder() const;

    // The names of the regular ".image" files of the folder, for relocated().
    QSet<QString> imageFileNames() const;
    // The store's path of the image that path names in another folder (the data folder moved,
    // or was reached by another path before), when a file of that name is among the folder's
    // names; empty otherwise, and for a path already in the store folder.
    QString relocated(const QString &path, const QSet<QString> &names) const;

    // Deletes the store's ".image" files that are not kept. A file is kept when a kept entry
    // (a path anywhere, or a bare file name) has its file name, since rows name their files by
    // absolute paths that a moved data folder no longer matches. Only regular files are
    // deleted, none in a linked folder, and none while a set-aside copy may name them. Listing
    // and deletion errors are ignored.
    void removeUnreferencedImages(const QSet<QString> &keeping) const;
    // Deletes the temporary files that writes cut off by a crash or a kill left behind
    // ("<name>.image.XXXXXX"); only while no write of the store is running. The number deleted.
    int removeInterruptedWrites() const;
    // Deletes the given files of the store, under the sweep's rules; paths outside it are left
    // alone.
    void removeImages(const QSet<QString> &paths) const;

private:
    // Whether the store may delete its files at all: not in a linked folder, and not while a
    // set-aside copy may name them.
    bool mayDelete() const;
    bool hasSetAsideCopy() const;

    QString m_directoryPath;
    QStringList m_setAsideFolders;
};
