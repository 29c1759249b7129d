#pragma once

#include <QFuture>
#include <QImage>
#include <QStringList>

// Finds QR codes in an image and gives their payloads in detection order: empty payloads are
// skipped and a payload equal to an earlier one is left out, so two copies of one code give
// one result. Payloads are not trimmed.
class QrDetector
{
public:
    virtual ~QrDetector() = default;

    // Runs off the main thread, like TextRecognizer::recognize.
    virtual QFuture<QStringList> detect(const QImage &image) = 0;
};
