#pragma once

#include <QFuture>
#include <QImage>
#include <QString>

#include <optional>

// The text read from one image: the best reading of each text line in reading order, joined
// with "\n" (no trailing line break). An image without text gives the empty text; only a
// recognizer that cannot run (no language data, no image) gives an error.
struct TextRecognitionResult {
    std::optional<QString> text;
    QString error; // set exactly when text is absent

    bool ok() const { return text.has_value(); }
    bool operator==(const TextRecognitionResult &) const = default;
};

class TextRecognizer
{
public:
    virtual ~TextRecognizer() = default;

    // Runs off the main thread; the caller takes the result back on its own thread
    // (QFutureWatcher or QFuture::then with a context object).
    virtual QFuture<TextRecognitionResult> recognize(const QImage &image) = 0;
};
