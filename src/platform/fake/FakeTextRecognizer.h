#pragma once

#include "platform/TextRecognizer.h"

#include <QList>
#include <QPromise>

#include <memory>

// Answers with `result` and keeps the images it was given. By default every request is answered
// at once; with `holdResults` set, requests wait until release() answers them, so that tests
// can look at a caller while its recognition runs.
class FakeTextRecognizer : public TextRecognizer
{
public:
    QFuture<TextRecognitionResult> recognize(const QImage &image) override;

    // Answers every waiting request with the current `result`; returns how many there were.
    int release();

    TextRecognitionResult result{QString(), QString()};
    bool holdResults = false;
    QList<QImage> images;

private:
    QList<std::shared_ptr<QPromise<TextRecognitionResult>>> m_waiting;
};
