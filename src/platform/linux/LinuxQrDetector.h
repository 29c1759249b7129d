#pragma once

#include "platform/QrDetector.h"

#include <QList>
#include <QPolygon>

// QR detection with zxing-cpp, restricted to QR codes, on the shared thread pool.
class LinuxQrDetector : public QrDetector
{
public:
    QFuture<QStringList> detect(const QImage &image) override;

    // The same search, on the calling thread.
    static QStringList detectNow(const QImage &image);

    // Where each code that reads lies in the image (its four corners, in image pixels), on the
    // calling thread; two copies of one code give two areas.
    static QList<QPolygon> codeAreasNow(const QImage &image);
};
