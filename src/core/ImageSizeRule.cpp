#include "core/ImageSizeRule.h"

#include "core/Logging.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace ImageSizeRule {

namespace {

std::optional<QByteArray> encoded(const QImage &image, const char *format, int quality)
{
    QByteArray out;
    QBuffer buffer(&out);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, format, quality))
        return std::nullopt;
    return out;
}

} // namespace

std::optional<QSize> declaredSize(const QByteArray &bytes)
{
    QByteArray copy = bytes; // shares the data; QBuffer needs a non-const array
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return std::nullopt;
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    return size;
}

bool hasAcceptableCanvas(const QByteArray &bytes)
{
    const std::optional<QSize> size = declaredSize(bytes);
    if (!size)
        return false;
    return qint64(size->width()) * qint64(size->height()) <= kMaxPixels;
}

bool needsReencoding(const QByteArray &bytes)
{
    return bytes.size() > kTargetBytes && bytes.size() <= kCeilingBytes;
}

std::optional<QByteArray> optimized(const QByteArray &bytes)
{
    if (bytes.size() > kCeilingBytes)
        return std::nullopt;
    if (!hasAcceptableCanvas(bytes)) {
        qCInfo(lcCore) << "Image refused: unreadable header or canvas too large";
        return std::nullopt;
    }
    if (bytes.size() <= kTargetBytes)
        return bytes;

    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kDecodeAllocationLimitMB);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    if (auto png = encoded(image, "PNG", -1); png && png->size() <= kTargetBytes)
        return png;
    if (auto jpeg = encoded(image, "JPEG", kJpegQuality); jpeg && jpeg->size() <= kTargetBytes)
        return jpeg;
    return std::nullopt;
}

} // namespace ImageSizeRule
