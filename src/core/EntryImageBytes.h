#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardImageStore.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads the bytes of an entry's image: its bytes in memory, else its store file, else its
// screenshot file. A plain value holding its own copy of the store's folder, so a worker thread
// may keep one and read with it while the model changes or is gone; it shares no mutable state
// with anyone.
class EntryImageBytes
{
public:
    explicit EntryImageBytes(ClipboardImageStore store) : m_store(std::move(store)) {}

    // Nothing when no source can be read.
    std::optional<QByteArray> read(const ClipboardEntry &entry) const;
    // A file of the image store; nothing for a path outside its folder, which is never opened.
    std::optional<QByteArray> readStoreFile(const QString &path) const { return m_store.load(path); }
    // Whether readStoreFile would open the path at all.
    bool isStoreFile(const QString &path) const { return m_store.isManagedPath(path); }

    // A screenshot file, refused above ScreenshotStability::kMaxFileBytes so that a huge or
    // growing file never lands in memory whole.
    static std::optional<QByteArray> readScreenshotFile(const QString &path);

private:
    ClipboardImageStore m_store;
};
