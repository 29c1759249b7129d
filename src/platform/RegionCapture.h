#pragma once

#include <QObject>
#include <QString>

#include <functional>

enum class RegionCaptureOutcome {
    Saved,     // the selection was written as PNG at the requested path
    Cancelled, // the user made no selection; no file was written
    Failed,    // the capture could not run or the file could not be written
};

// Lets the user drag a rectangle anywhere on the screen and saves what it shows.
class RegionCapture : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(RegionCaptureOutcome outcome, const QString &error)>;

    using QObject::QObject;
    ~RegionCapture() override = default;

    // Starts one interactive selection and returns at once. `done` runs exactly once, on the
    // main thread, after the selection was saved at `pngPath` or given up. While a selection
    // runs, a second request fails at once.
    virtual void captureRegion(const QString &pngPath, Done done) = 0;
};
