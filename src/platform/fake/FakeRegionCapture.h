#pragma once

#include "platform/RegionCapture.h"

#include <QImage>

// A region capture that tests finish by hand: finish(Saved, image) writes the image where the
// caller asked, as the real overlay would after a drag.
class FakeRegionCapture : public RegionCapture
{
    Q_OBJECT
public:
    using RegionCapture::RegionCapture;

    void captureRegion(const QString &pngPath, Done done) override;

    bool isPending() const { return static_cast<bool>(m_done); }
    QString requestedPath() const { return m_path; }
    int requestCount() const { return m_requests; }

    // Ends the pending capture. With Saved, `image` is written as PNG first; false when
    // nothing was pending or the image could not be written.
    bool finish(RegionCaptureOutcome outcome, const QImage &image = QImage(), const QString &error = QString());

private:
    Done m_done;
    QString m_path;
    int m_requests = 0;
};
