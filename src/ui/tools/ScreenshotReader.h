#pragma once

#include "core/ClipboardEntry.h"
#include "core/EntryImageBytes.h"
#include "platform/QrDetector.h"
#include "platform/TextRecognizer.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QStringList>

#include <optional>

// What reading one screenshot gave.
struct ScreenshotReading {
    enum class Outcome { Read, ImageUnavailable, RecognitionFailed };
    Outcome outcome = Outcome::Read;
    // The recognised lines joined by "\n"; empty when none.
    QString text;
    // Distinct QR payloads in detection order.
    QStringList qrCodes;

    bool operator==(const ScreenshotReading &) const = default;
};

// Reads the text and the QR codes of an entry's image once: the image is loaded and decoded on
// the thread pool, the recognisers run there too, and `finished` arrives on the owner's thread.
// Destroying the reader drops a result that is still on its way.
class ScreenshotReader : public QObject {
    Q_OBJECT
public:
    // Either recogniser may be absent (a desktop without them): reading then fails.
    ScreenshotReader(TextRecognizer *recognizer, QrDetector *detector, QObject *parent = nullptr);

    // With the model's reader the stored file is read only from the image store (see
    // EntryImageLoader).
    void start(const ClipboardEntry &entry, std::optional<EntryImageBytes> store = std::nullopt);

Q_SIGNALS:
    void finished(const ScreenshotReading &reading);

private:
    void imageLoaded();
    void partFinished();

    TextRecognizer *m_recognizer;
    QrDetector *m_detector;
    QFutureWatcher<QImage> m_image;
    QFutureWatcher<TextRecognitionResult> m_text;
    QFutureWatcher<QStringList> m_codes;
    int m_partsLeft = 0;
};
