#pragma once

#include "platform/RegionCapture.h"
#include "platform/TextRecognizer.h"

#include <QObject>
#include <QString>

#include <functional>

// The outcome of one screen read.
struct ScreenTextResult {
    enum class Outcome {
        Text,    // `text` holds what was recognised; empty when the area held no text
        Nothing, // the user cancelled the selection or nothing was captured
        Failed,  // capture or recognition failed; `error` says why (for the log, not the user)
    };
    Outcome outcome = Outcome::Nothing;
    QString text;
    QString error;

    bool operator==(const ScreenTextResult &) const = default;
};

// Lets the user drag a rectangle on the screen and reads the text in it: the region capture
// writes "selection.png" into a private folder "tarnel-ocr-<UUID>" of the temporary folder,
// the recognizer reads it off the main thread, and the folder is removed whatever the outcome.
class ScreenTextCapture : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const ScreenTextResult &result)>;

    ScreenTextCapture(RegionCapture &capture, TextRecognizer &recognizer, QObject *parent = nullptr);

    // Returns at once; `done` runs once on the main thread, unless this object is gone by then.
    // Overlapping reads use separate folders.
    void readSelection(Done done);

private:
    RegionCapture &m_capture;
    TextRecognizer &m_recognizer;
};
