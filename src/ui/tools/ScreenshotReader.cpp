#include "ui/tools/ScreenshotReader.h"

#include "core/Logging.h"
#include "ui/tools/EntryImageLoader.h"

ScreenshotReader::ScreenshotReader(TextRecognizer *recognizer, QrDetector *detector, QObject *parent)
    : QObject(parent)
    , m_recognizer(recognizer)
    , m_detector(detector)
{
    connect(&m_image, &QFutureWatcher<QImage>::finished, this, &ScreenshotReader::imageLoaded);
    connect(&m_text, &QFutureWatcher<TextRecognitionResult>::finished, this, &ScreenshotReader::partFinished);
    connect(&m_codes, &QFutureWatcher<QStringList>::finished, this, &ScreenshotReader::partFinished);
}

void ScreenshotReader::start(const ClipboardEntry &entry, std::optional<EntryImageBytes> store)
{
    m_image.setFuture(EntryImageLoader::loadAsync(entry, std::move(store)));
}

void ScreenshotReader::imageLoaded()
{
    const QImage image = m_image.future().resultCount() > 0 ? m_image.result() : QImage();
    if (image.isNull()) {
        Q_EMIT finished({ScreenshotReading::Outcome::ImageUnavailable, {}, {}});
        return;
    }
    if (!m_recognizer || !m_detector) {
        qCWarning(lcUi) << "No text recogniser or QR detector to read a screenshot with";
        Q_EMIT finished({ScreenshotReading::Outcome::RecognitionFailed, {}, {}});
        return;
    }
    m_partsLeft = 2;
    m_text.setFuture(m_recognizer->recognize(image));
    m_codes.setFuture(m_detector->detect(image));
}

void ScreenshotReader::partFinished()
{
    if (--m_partsLeft > 0)
        return;
    // A cancelled request gives no result at all.
    const TextRecognitionResult text = m_text.future().resultCount() > 0
        ? m_text.result()
        : TextRecognitionResult{std::nullopt, QStringLiteral("recognition was cancelled")};
    if (!text.ok()) {
        qCWarning(lcUi) << "Screenshot text recognition failed:" << text.error;
        Q_EMIT finished({ScreenshotReading::Outcome::RecognitionFailed, {}, {}});
        return;
    }
    QStringList codes;
    const QStringList detected = m_codes.future().resultCount() > 0 ? m_codes.result() : QStringList();
    for (const QString &code : detected) {
        if (!code.isEmpty() && !codes.contains(code))
            codes << code;
    }
    Q_EMIT finished({ScreenshotReading::Outcome::Read, *text.text, codes});
}
