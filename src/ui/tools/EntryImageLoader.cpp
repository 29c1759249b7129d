#include "ui/tools/EntryImageLoader.h"

#include "core/ImageSizeRule.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent>

namespace EntryImageLoader {

namespace {

QImage decoded(QImageReader &reader, QSize cover)
{
    // Stored images carry no format in their name; the bytes tell.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(ImageSizeRule::kDecodeAllocationLimitMB);
    const ImageSizeRule::Header header{reader.size(), reader.format(), reader.imageFormat()};
    if (!header.size.isValid())
        return reader.read(); // a format that cannot tell its size before it is read
    // A canvas beyond what one decode holds is read reduced, as it is everywhere else: the tools
    // show and read it rather than nothing. A bomb is not read at all.
    QSize target = ImageSizeRule::decodeSize(header);
    if (!target.isValid())
        return {};
    // A picture for a small frame is read at the frame's size. Two-colour canvases are not: a
    // reduced read only picks their pixels and breaks fine strokes apart.
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        cover.transpose();
    if (cover.isValid() && !ImageSizeRule::isOneBit(header.pixelFormat) && target.width() > cover.width()
        && target.height() > cover.height())
        target = header.size.scaled(cover, Qt::KeepAspectRatioByExpanding).expandedTo(QSize(1, 1));
    if (target != header.size)
        reader.setScaledSize(target);
    return reader.read();
}

QImage decodedBytes(QByteArray bytes, QSize cover)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return decoded(reader, cover);
}

QImage decodedFile(const QString &path, QSize cover)
{
    // A pipe or a device under an image's name would block the read until someone writes to
    // it; only regular files are images.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QImageReader reader(path);
    return decoded(reader, cover);
}

} // namespace

QImage load(const ClipboardEntry &entry, const std::optional<EntryImageBytes> &store, QSize cover)
{
    if (entry.imageData) {
        const QImage image = decodedBytes(*entry.imageData, cover);
        if (!image.isNull())
            return image;
    }
    if (entry.imageFilePath) {
        QImage image;
        if (!store)
            image = decodedFile(*entry.imageFilePath, cover);
        else if (std::optional<QByteArray> bytes = store->readStoreFile(*entry.imageFilePath))
            image = decodedBytes(std::move(*bytes), cover);
        if (!image.isNull())
            return image;
    }
    if (entry.screenshotFileURL)
        return decodedFile(*entry.screenshotFileURL, cover);
    return {};
}

QFuture<QImage> loadAsync(const ClipboardEntry &entry, std::optional<EntryImageBytes> store)
{
    return QtConcurrent::run([entry, store = std::move(store)] { return load(entry, store); });
}

} // namespace EntryImageLoader
