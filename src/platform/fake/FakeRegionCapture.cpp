#include "platform/fake/FakeRegionCapture.h"

void FakeRegionCapture::captureRegion(const QString &pngPath, Done done)
{
    ++m_requests;
    if (m_done) {
        done(RegionCaptureOutcome::Failed, QStringLiteral("a region capture is already running"));
        return;
    }
    m_path = pngPath;
    m_done = std::move(done);
}

bool FakeRegionCapture::finish(RegionCaptureOutcome outcome, const QImage &image, const QString &error)
{
    if (!m_done)
        return false;
    Done done = std::move(m_done);
    m_done = nullptr;
    bool written = true;
    if (outcome == RegionCaptureOutcome::Saved)
        written = image.save(m_path, "PNG");
    done(outcome, error);
    return written;
}
