#pragma once

#include "platform/TextRecognizer.h"

#include <QList>

// Answers every request at once with `result` and keeps the images it was given.
class FakeTextRecognizer : public TextRecognizer
{
public:
    QFuture<TextRecognitionResult> recognize(const QImage &image) override;

    TextRecognitionResult result{QString(), QString()};
    QList<QImage> images;
};
