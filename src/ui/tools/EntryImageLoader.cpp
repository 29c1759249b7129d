#include "ui/tools/EntryImageLoader.h"

#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent>

namespace EntryImageLoader {

QImage load(const ClipboardEntry &entry)
{
    if (entry.imageData) {
        const QImage image = QImage::fromData(*entry.imageData);
        if (!image.isNull())
            return image;
    }
    for (const std::optional<QString> &path : {entry.imageFilePath, entry.screenshotFileURL}) {
        // A pipe or a device under an image's name would block the read until someone writes
        // to it; only regular files are images.
        if (!path || path->isEmpty() || !QFileInfo(*path).isFile())
            continue;
        QImageReader reader(*path);
        // Stored images carry no format in their name; the bytes tell.
        reader.setDecideFormatFromContent(true);
        reader.setAutoTransform(true);
        const QImage image = reader.read();
        if (!image.isNull())
            return image;
    }
    return {};
}

QFuture<QImage> loadAsync(const ClipboardEntry &entry)
{
    return QtConcurrent::run([entry] { return load(entry); });
}

} // namespace EntryImageLoader
