#include "core/ImageSizeRule.h"

#include "core/CappedBuffer.h"
#include "core/Logging.h"

#include <QBuffer>
#include <QImageReader>

#include <cmath>

namespace ImageSizeRule {

namespace {

// The image in the format, or nothing when it cannot be encoded or comes out larger than the
// target: the encoder stops at the first byte past it rather than finishing a result that
// is thrown away (a camera photo's PNG takes seconds).
std::optional<QByteArray> encodedWithinTarget(const QImage &image, const char *format, int quality)
{
    CappedBuffer buffer(kTargetBytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return std::nullopt;
    const bool written = image.save(&buffer, format, quality);
    if (buffer.overflowed()) {
        qCInfo(lcCore).noquote() << "Image's" << format << "re-encoding passed" << kTargetBytes << "bytes; stopped there";
        return std::nullopt;
    }
    if (!written)
        return std::nullopt;
    return buffer.takeData();
}

qint64 pixels(QSize size)
{
    return qint64(size.width()) * qint64(size.height());
}

// The size a decode of `size` is reduced to so that it holds at most `limit` pixels.
QSize reducedTo(QSize size, qint64 limit)
{
    if (pixels(size) <= limit)
        return size;
    const double factor = std::sqrt(double(limit) / double(pixels(size)));
    return QSize(std::max(1, int(size.width() * factor)), std::max(1, int(size.height() * factor)));
}

} // namespace

bool endsEarly(const QByteArray &bytes, const QByteArray &format)
{
    if (format == "png")
        return bytes.lastIndexOf(QByteArrayView("\0\0\0\0IEND", 8)) < 0;
    if (format == "jpeg" || format == "jpg") {
        // Scan data never holds a marker, so the end marker after the last scan's start is the
        // image's own (an embedded preview ends before it).
        const qsizetype scan = bytes.lastIndexOf(QByteArrayView("\xff\xda", 2));
        return scan < 0 || bytes.lastIndexOf(QByteArrayView("\xff\xd9", 2)) < scan;
    }
    if (format == "bmp" && bytes.size() >= 6) {
        const quint32 declared = quint8(bytes.at(2)) | quint32(quint8(bytes.at(3))) << 8
            | quint32(quint8(bytes.at(4))) << 16 | quint32(quint8(bytes.at(5))) << 24;
        return declared > quint64(bytes.size());
    }
    return false;
}

std::optional<Header> header(const QByteArray &bytes)
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
    return Header{size, reader.format(), reader.imageFormat()};
}

std::optional<QSize> declaredSize(const QByteArray &bytes)
{
    const std::optional<Header> found = header(bytes);
    return found ? std::optional<QSize>(found->size) : std::nullopt;
}

bool readsReduced(const QByteArray &format)
{
    return format == "jpeg" || format == "jpg" || format == "png";
}

bool isOneBit(QImage::Format pixelFormat)
{
    return pixelFormat == QImage::Format_Mono || pixelFormat == QImage::Format_MonoLSB;
}

bool isDecodable(const Header &header)
{
    const qint64 count = pixels(header.size);
    if (count > kMaxCanvasPixels)
        return false;
    return count <= kMaxDecodedPixels || readsReduced(header.format) || isOneBit(header.pixelFormat);
}

QSize decodeSize(const Header &header)
{
    if (!isDecodable(header))
        return {};
    const QSize size = header.size;
    if (pixels(size) <= kMaxDecodedPixels || isOneBit(header.pixelFormat))
        return size;
    if (header.format == "jpeg" || header.format == "jpg") {
        // The sizes its scaled decode gives, rounded up as it rounds them.
        for (int scale = 2; scale <= 8; scale *= 2) {
            const QSize scaled((size.width() + scale - 1) / scale, (size.height() + scale - 1) / scale);
            if (pixels(scaled) <= kMaxDecodedPixels)
                return scaled;
        }
        return {};
    }
    return reducedTo(size, kMaxDecodedPixels);
}

QImage decoded(const QByteArray &bytes)
{
    const std::optional<Header> found = header(bytes);
    if (!found)
        return {};
    const QSize target = decodeSize(*found);
    if (!target.isValid())
        return {};
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kDecodeAllocationLimitMB);
    // A canvas beyond the bound is reduced while it is read.
    if (target != found->size)
        reader.setScaledSize(target);
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

std::optional<qint64> estimatedPngBytes(const QImage &image)
{
    const int height = image.height();
    const int bandRows = image.isNull() ? 0 : height / (kPngEstimateBands * kPngEstimateShare);
    if (bandRows < 2)
        return std::nullopt;
    const auto pngBytes = [&image](int top, int rows) -> std::optional<qint64> {
        QByteArray piece;
        QBuffer buffer(&piece);
        if (!buffer.open(QIODevice::WriteOnly) || !image.copy(0, top, image.width(), rows).save(&buffer, "PNG"))
            return std::nullopt;
        return piece.size();
    };
    // A band's first row carries what the whole file pays once (its header, a first row with
    // nothing above it to predict from); the rows after it are what each further row costs.
    qint64 firstRows = 0;
    qint64 furtherRows = 0;
    for (int band = 0; band < kPngEstimateBands; ++band) {
        const int top = int(qint64(height - bandRows) * band / (kPngEstimateBands - 1));
        const std::optional<qint64> first = pngBytes(top, 1);
        const std::optional<qint64> whole = pngBytes(top, bandRows);
        if (!first || !whole)
            return std::nullopt;
        firstRows += *first;
        furtherRows += std::max<qint64>(0, *whole - *first);
    }
    return firstRows / kPngEstimateBands + furtherRows * (height - 1) / (qint64(bandRows - 1) * kPngEstimateBands);
}

bool needsReencoding(const QByteArray &bytes)
{
    return bytes.size() > kTargetBytes && bytes.size() <= kCeilingBytes;
}

std::optional<QByteArray> optimized(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > kCeilingBytes)
        return std::nullopt;
    const std::optional<Header> found = header(bytes);
    if (found && pixels(found->size) > kMaxCanvasPixels) {
        qCInfo(lcCore) << "Image refused: its header declares a canvas beyond the decode bound";
        return std::nullopt;
    }
    // A cut-off copy still has a header that reads; decoding it would fail, or fill the rest
    // with grey.
    if (found && endsEarly(bytes, found->format)) {
        qCInfo(lcCore) << "Image refused: its data ends before the image does";
        return std::nullopt;
    }
    // Kept as given, also in a format this system cannot show: the bytes are the user's copy.
    if (bytes.size() <= kTargetBytes)
        return bytes;
    if (!found || !isDecodable(*found)) {
        qCInfo(lcCore) << "Image refused: too large to keep and not reducible";
        return std::nullopt;
    }

    const QImage image = decoded(bytes);
    if (image.isNull())
        return std::nullopt;
    // A photo's PNG is several times the target, and even one stopped at the target costs more
    // than the JPEG after it; a few bands of it say so for a small share of that.
    const std::optional<qint64> estimate = estimatedPngBytes(image);
    if (estimate && double(*estimate) > double(kTargetBytes) * kPngEstimateSlack) {
        qCInfo(lcCore) << "Image's PNG re-encoding would take about" << *estimate << "bytes; not tried";
    } else if (std::optional<QByteArray> png = encodedWithinTarget(image, "PNG", -1)) {
        return png;
    }
    return encodedWithinTarget(image, "JPEG", kJpegQuality);
}

} // namespace ImageSizeRule
