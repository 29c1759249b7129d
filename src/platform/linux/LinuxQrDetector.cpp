#define ZX_USE_UTF8 1
#include "platform/linux/LinuxQrDetector.h"

#include <QtConcurrent>

#include <ZXing/ReadBarcode.h>

namespace {

// The codes that read, each with its payload and position.
std::vector<ZXing::Result> readCodes(const QImage &image)
{
    if (image.isNull())
        return {};
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    std::vector<ZXing::Result> found;
    for (ZXing::Result &result : ZXing::ReadBarcodes(view, hints)) {
        if (result.isValid())
            found.push_back(std::move(result));
    }
    return found;
}

} // namespace

QStringList LinuxQrDetector::detectNow(const QImage &image)
{
    QStringList codes;
    for (const ZXing::Result &result : readCodes(image)) {
        const QString payload = QString::fromStdString(result.text());
        if (!payload.isEmpty() && !codes.contains(payload))
            codes << payload;
    }
    return codes;
}

QList<QPolygon> LinuxQrDetector::codeAreasNow(const QImage &image)
{
    QList<QPolygon> areas;
    for (const ZXing::Result &result : readCodes(image)) {
        QPolygon area;
        for (const ZXing::PointI &corner : result.position())
            area << QPoint(corner.x, corner.y);
        areas << area;
    }
    return areas;
}

QFuture<QStringList> LinuxQrDetector::detect(const QImage &image)
{
    return QtConcurrent::run([image] { return detectNow(image); });
}
