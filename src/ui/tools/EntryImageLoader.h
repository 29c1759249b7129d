#pragma once

#include "core/ClipboardEntry.h"
#include "core/EntryImageBytes.h"

#include <QFuture>
#include <QImage>

#include <optional>

// The image of a history entry for the image tools: its bytes, else the file it is stored in,
// else the screenshot file it came from. Each source is tried in turn until one decodes, so a
// stored file that is gone or broken does not hide a readable screenshot file.
//
// With the model's reader (ClipboardModel::imageBytes()) the stored file is read only through
// the image store, which refuses any path outside its folder: a history record naming another
// file never has it opened. Without one (no model at hand) the stored path is read as it stands.
// The screenshot file lives in the folder the user chose and is read as a regular file there.
namespace EntryImageLoader {

// Reads and decodes on the calling thread; a null image when no source gives one. An image
// beyond what one decode holds whole comes reduced within that bound; with a `cover` size, one
// larger than it comes reduced to just cover it, for a thumbnail.
QImage load(const ClipboardEntry &entry, const std::optional<EntryImageBytes> &store = std::nullopt,
            QSize cover = {});
// load() on the shared thread pool.
QFuture<QImage> loadAsync(const ClipboardEntry &entry, std::optional<EntryImageBytes> store = std::nullopt);

} // namespace EntryImageLoader
