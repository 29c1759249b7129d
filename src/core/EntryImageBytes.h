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

    // A screenshot file, refused above ScreenshotStability::kMaxFileBytes so that a huge or
    // growing file never lands in memory whole.
    static std::optional<QByteArray> readScreenshotFile(const QString &path);

private:
    ClipboardImageStore m_store;
};
