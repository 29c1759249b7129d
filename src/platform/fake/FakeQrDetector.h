#pragma once

#include "platform/QrDetector.h"

#include <QList>

// Answers every request at once with `codes` and keeps the images it was given.
class FakeQrDetector : public QrDetector
{
public:
    QFuture<QStringList> detect(const QImage &image) override;

    QStringList codes;
    QList<QImage> images;
};
