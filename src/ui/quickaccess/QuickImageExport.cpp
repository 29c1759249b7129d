#include "ui/quickaccess/QuickImageExport.h"

#include "core/Logging.h"

#include <QBuffer>
#include <QImageReader>
#include <QSaveFile>

namespace QuickImageExport {

namespace {

bool isJpeg(QuickImageAction format)
{
    return format == QuickImageAction::SaveJPG;
}

QImage readFile(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

bool readsAsImage(QImageReader &reader)
{
    return reader.canRead() && reader.size().isValid();
}

} // namespace

bool hasImage(const ClipboardEntry &entry)
{
    if (entry.imageData) {
        QByteArray bytes = *entry.imageData;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        if (readsAsImage(reader))
            return true;
    }
    for (const std::optional<QString> &path : {entry.imageFilePath, entry.screenshotFileURL}) {
        if (!path || path->isEmpty())
            continue;
        QImageReader reader(*path);
        if (readsAsImage(reader))
            return true;
    }
    return false;
}

QImage image(const ClipboardEntry &entry)
{
    if (entry.imageData) {
        const QImage fromBytes = QImage::fromData(*entry.imageData);
        if (!fromBytes.isNull())
            return fromBytes;
    }
    // Once its bytes are in the image store the entry names the file instead of holding them.
    for (const std::optional<QString> &path : {entry.imageFilePath, entry.screenshotFileURL}) {
        if (!path || path->isEmpty())
            continue;
        const QImage fromFile = readFile(*path);
        if (!fromFile.isNull())
            return fromFile;
    }
    return {};
}

std::optional<QByteArray> encoded(const QImage &image, QuickImageAction format)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool ok = isJpeg(format) ? image.save(&buffer, "JPEG", kJpegQuality) : image.save(&buffer, "PNG");
    if (!ok || bytes.isEmpty())
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

bool save(const ClipboardEntry &entry, QuickImageAction format, const QString &path)
{
    const std::optional<QByteArray> bytes = encoded(image(entry), format);
    if (!bytes) {
        qCWarning(lcUi) << "Image entry has no readable image to save";
        return false;
    }
    return write(*bytes, path);
}

} // namespace QuickImageExport
