#include "platform/fake/FakeTextRecognizer.h"

#include <QFuture>

QFuture<TextRecognitionResult> FakeTextRecognizer::recognize(const QImage &image)
{
    images.append(image);
    return QtFuture::makeReadyFuture(result);
}
