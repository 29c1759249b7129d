#include "platform/fake/FakeTextRecognizer.h"

#include <QFuture>

QFuture<TextRecognitionResult> FakeTextRecognizer::recognize(const QImage &image)
{
    images.append(image);
    if (!holdResults)
        return QtFuture::makeReadyFuture(result);
    auto promise = std::make_shared<QPromise<TextRecognitionResult>>();
    promise->start();
    m_waiting.append(promise);
    return promise->future();
}

int FakeTextRecognizer::release()
{
    const QList<std::shared_ptr<QPromise<TextRecognitionResult>>> waiting = std::exchange(m_waiting, {});
    for (const auto &promise : waiting) {
        promise->addResult(result);
        promise->finish();
    }
    return static_cast<int>(waiting.size());
}
