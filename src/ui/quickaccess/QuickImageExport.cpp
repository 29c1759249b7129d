#include "ui/quickaccess/QuickImageExport.h"

#include "core/ImageSizeRule.h"
#include "core/Logging.h"
#include "core/PngEncoder.h"
#include "ui/tools/EntryImageLoader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

namespace QuickImageExport {

namespace {

bool isJpeg(QuickImageAction format)
{
    return format == QuickImageAction::SaveJPG;
}

bool readsAsImage(QImageReader &reader)
{
    return reader.canRead() && reader.size().isValid();
}

bool fileReadsAsImage(const QString &path)
{
    // Even the headers of a pipe would block this thread until someone writes to it.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QImageReader reader(path);
    return readsAsImage(reader);
}

std::optional<ImageSizeRule::Header> headerOf(QImageReader &reader)
{
    reader.setDecideFormatFromContent(true);
    if (!readsAsImage(reader))
        return std::nullopt;
    return ImageSizeRule::Header{reader.size(), reader.format(), reader.imageFormat()};
}

// The header of the source save() reads the image from, read as EntryImageLoader tries them.
std::optional<ImageSizeRule::Header> sourceHeader(const ClipboardEntry &entry, const std::optional<EntryImageBytes> &store)
{
    if (entry.imageData) {
        QByteArray bytes = *entry.imageData;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        if (std::optional<ImageSizeRule::Header> header = headerOf(reader))
            return header;
    }
    const auto fileHeader = [](const QString &path) -> std::optional<ImageSizeRule::Header> {
        if (!QFileInfo(path).isFile())
            return std::nullopt;
        QImageReader reader(path);
        return headerOf(reader);
    };
    // A stored file outside the image store is never opened, as when it is saved.
    if (entry.imageFilePath && (!store || store->isStoreFile(*entry.imageFilePath))) {
        if (std::optional<ImageSizeRule::Header> header = fileHeader(*entry.imageFilePath))
            return header;
    }
    if (entry.screenshotFileURL)
        return fileHeader(*entry.screenshotFileURL);
    return std::nullopt;
}

// The kept bytes of the image, when they read as one.
std::optional<QByteArray> sourceBytes(const ClipboardEntry &entry, const std::optional<EntryImageBytes> &store)
{
    if (entry.imageData && ImageSizeRule::header(*entry.imageData))
        return entry.imageData;
    if (entry.imageFilePath) {
        std::optional<QByteArray> bytes;
        if (store) {
            bytes = store->readStoreFile(*entry.imageFilePath);
        } else if (QFileInfo(*entry.imageFilePath).isFile()) {
            QFile file(*entry.imageFilePath);
            if (file.open(QIODevice::ReadOnly))
                bytes = file.readAll();
        }
        if (bytes && ImageSizeRule::header(*bytes))
            return bytes;
    }
    if (entry.screenshotFileURL) {
        if (std::optional<QByteArray> bytes = EntryImageBytes::readScreenshotFile(*entry.screenshotFileURL);
            bytes && ImageSizeRule::header(*bytes))
            return bytes;
    }
    return std::nullopt;
}

bool decodesWhole(const ImageSizeRule::Header &header)
{
    return ImageSizeRule::decodeSize(header) == header.size;
}

bool isFormat(const ImageSizeRule::Header &header, QuickImageAction format)
{
    return isJpeg(format) ? header.format == "jpeg" || header.format == "jpg" : header.format == "png";
}

} // namespace

bool hasImage(const ClipboardEntry &entry, const std::optional<EntryImageBytes> &store)
{
    if (entry.imageData) {
        QByteArray bytes = *entry.imageData;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        if (readsAsImage(reader))
            return true;
    }
    // A stored file outside the image store is never opened, as when it is saved.
    if (entry.imageFilePath && (!store || store->isStoreFile(*entry.imageFilePath)) && fileReadsAsImage(*entry.imageFilePath))
        return true;
    if (entry.screenshotFileURL && fileReadsAsImage(*entry.screenshotFileURL))
        return true;
    return false;
}

std::optional<QSize> tooLargeToSave(const ClipboardEntry &entry, QuickImageAction format,
                                    const std::optional<EntryImageBytes> &store)
{
    const std::optional<ImageSizeRule::Header> header = sourceHeader(entry, store);
    if (!header || decodesWhole(*header) || isFormat(*header, format))
        return std::nullopt;
    return header->size;
}

std::optional<QByteArray> encoded(const QImage &image, QuickImageAction format)
{
    if (image.isNull())
        return std::nullopt;
    // The PNG writer of pastes: Qt's default level takes many seconds over a camera photo.
    if (!isJpeg(format)) {
        QByteArray png = PngEncoder::encoded(image);
        return png.isEmpty() ? std::nullopt : std::optional(std::move(png));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", kJpegQuality) || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

QString proposedName(const ClipboardEntry &entry, QuickImageAction format)
{
    return QStringLiteral("Tarnel-") + entry.id.left(8) + (isJpeg(format) ? QStringLiteral(".jpg") : QStringLiteral(".png"));
}

QString fileFilter(QuickImageAction format)
{
    return isJpeg(format) ? QStringLiteral("JPEG (*.jpg *.jpeg)") : QStringLiteral("PNG (*.png)");
}

bool write(const QByteArray &bytes, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcUi) << "Could not save the image:" << file.errorString();
        return false;
    }
    return true;
}

bool save(const ClipboardEntry &entry, QuickImageAction format, const QString &path,
          const std::optional<EntryImageBytes> &store)
{
    // A picture beyond what one decode holds whole would be read reduced: it is written as it
    // is kept when that is the format asked for, and never written smaller.
    if (std::optional<QByteArray> kept = sourceBytes(entry, store)) {
        const std::optional<ImageSizeRule::Header> header = ImageSizeRule::header(*kept);
        if (header && !decodesWhole(*header)) {
            if (isFormat(*header, format))
                return write(*kept, path);
            qCWarning(lcUi) << "Image too large to convert at its own size; not saved";
            return false;
        }
    }
    const std::optional<QByteArray> bytes = encoded(EntryImageLoader::load(entry, store), format);
    if (!bytes) {
        qCWarning(lcUi) << "Image entry has no readable image to save";
        return false;
    }
    return write(*bytes, path);
}

} // namespace QuickImageExport
