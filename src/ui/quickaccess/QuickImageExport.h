#pragma once

#include "core/ClipboardEntry.h"
#include "core/EntryImageBytes.h"
#include "engine/QuickImageActionRequest.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// Saving an image entry from Quick Access to a file the user picks: the image is read from the
// entry, encoded as PNG or JPEG, and written in one piece.
namespace QuickImageExport {

// JPEG quality of a saved image (0 to 100).
inline constexpr int kJpegQuality = 90;

// Whether save() would find an image (read as EntryImageLoader does), judged from the image
// headers alone, without decoding.
bool hasImage(const ClipboardEntry &entry, const std::optional<EntryImageBytes> &store);
// JPEG for saveJPG, PNG for every other action; nothing when the image is null or encoding fails.
std::optional<QByteArray> encoded(const QImage &image, QuickImageAction format);
// "Tarnel-", the first 8 characters of the entry's id, and the format's extension.
QString proposedName(const ClipboardEntry &entry, QuickImageAction format);
// The file type filter of the save dialog for the format.
QString fileFilter(QuickImageAction format);
// Writes the bytes atomically; false (with a log line) when the file could not be written.
bool write(const QByteArray &bytes, const QString &path);
// Reads (through the store's reader when there is one, see EntryImageLoader), encodes and
// writes the entry's image: the whole save, for a worker thread.
bool save(const ClipboardEntry &entry, QuickImageAction format, const QString &path,
          const std::optional<EntryImageBytes> &store);

} // namespace QuickImageExport
