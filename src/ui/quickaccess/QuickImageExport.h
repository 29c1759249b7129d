#pragma once

#include "core/ClipboardEntry.h"
#include "core/EntryImageBytes.h"
#include "engine/QuickImageActionRequest.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
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
// The size of an image too large to be decoded whole (ImageSizeRule::decodeSize) that is not
// kept in the asked format: it cannot be saved at its own size in that format, and save() writes
// nothing. Judged from the headers alone. An image kept in the asked format is saved as kept.
std::optional<QSize> tooLargeToSave(const ClipboardEntry &entry, QuickImageAction format,
                                    const std::optional<EntryImageBytes> &store);
// Why such an image is not saved (a Slovak base text for L10n::text).
inline QString tooLargeReason()
{
    return QStringLiteral("Obrázok sa v tomto formáte nedá uložiť: je väčší, ako sa dá v plnej veľkosti previesť "
                          "(viac ako 64 megapixelov). Ulož ho vo formáte, v akom je uložený.");
}
// JPEG for saveJPG, PNG for every other action (made as the PNG offered on paste is, see
// PngEncoder); nothing when the image is null or encoding fails.
std::optional<QByteArray> encoded(const QImage &image, QuickImageAction format);
// "Tarnel-", the first 8 characters of the entry's id, and the format's extension.
QString proposedName(const ClipboardEntry &entry, QuickImageAction format);
// The file type filter of the save dialog for the format.
QString fileFilter(QuickImageAction format);
// Writes the bytes atomically; false (with a log line) when the file could not be written.
bool write(const QByteArray &bytes, const QString &path);
// Reads (through the store's reader when there is one, see EntryImageLoader), encodes and
// writes the entry's image: the whole save, for a worker thread. An image too large to be
// decoded whole is written as kept when it is kept in the asked format, else not at all.
bool save(const ClipboardEntry &entry, QuickImageAction format, const QString &path,
          const std::optional<EntryImageBytes> &store);

} // namespace QuickImageExport
