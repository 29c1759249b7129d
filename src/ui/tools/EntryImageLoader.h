#pragma once

#include "core/ClipboardEntry.h"

#include <QFuture>
#include <QImage>

// The image of a history entry for the image tools: its bytes, else the file it is stored in,
// else the screenshot file it came from. Each source is tried in turn until one decodes, so a
// stored file that is gone or broken does not hide a readable screenshot file.
namespace EntryImageLoader {

// Reads and decodes on the calling thread; a null image when no source gives one.
QImage load(const ClipboardEntry &entry);
// load() on the shared thread pool.
QFuture<QImage> loadAsync(const ClipboardEntry &entry);

} // namespace EntryImageLoader
