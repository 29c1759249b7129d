#pragma once

#include "platform/QrDetector.h"

// QR detection with zxing-cpp, restricted to QR codes, on the shared thread pool.
class LinuxQrDetector : public QrDetector
{
public:
    QFuture<QStringList> detect(const QImage &image) override;

    // The same search, on the calling thread.
    static QStringList detectNow(const QImage &image);
};
