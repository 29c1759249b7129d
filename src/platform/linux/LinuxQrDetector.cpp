#define ZX_USE_UTF8 1
#include "platform/linux/LinuxQrDetector.h"

#include <QtConcurrent>

#include <ZXing/ReadBarcode.h>

QStringList LinuxQrDetector::detectNow(const QImage &image)
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
    QStringList codes;
    for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid())
            continue;
        const QString payload = QString::fromStdString(result.text());
        if (!payload.isEmpty() && !codes.contains(payload))
            codes << payload;
    }
    return codes;
}

QFuture<QStringList> LinuxQrDetector::detect(const QImage &image)
{
    return QtConcurrent::run([image] { return detectNow(image); });
}
