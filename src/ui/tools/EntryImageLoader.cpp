#include "ui/tools/EntryImageLoader.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent>

namespace EntryImageLoader {

namespace {

QImage decoded(QImageReader &reader)
{
    // Stored images carry no format in their name; the bytes tell.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    return reader.read();
}

QImage decodedBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return decoded(reader);
}

QImage decodedFile(const QString &path)
{
    // A pipe or a device under an image's name would block the read until someone writes to
    // it; only regular files are images.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QImageReader reader(path);
    return decoded(reader);
}

} // namespace

QImage load(const ClipboardEntry &entry, const std::optional<EntryImageBytes> &store)
{
    if (entry.imageData) {
        const QImage image = QImage::fromData(*entry.imageData);
        if (!image.isNull())
            return image;
    }
    if (entry.imageFilePath) {
        QImage image;
        if (!store)
            image = decodedFile(*entry.imageFilePath);
        else if (std::optional<QByteArray> bytes = store->readStoreFile(*entry.imageFilePath))
            image = decodedBytes(std::move(*bytes));
        if (!image.isNull())
            return image;
    }
    if (entry.screenshotFileURL)
        return decodedFile(*entry.screenshotFileURL);
    return {};
}

QFuture<QImage> loadAsync(const ClipboardEntry &entry, std::optional<EntryImageBytes> store)
{
    return QtConcurrent::run([entry, store = std::move(store)] { return load(entry, store); });
}

} // namespace EntryImageLoader
