#pragma once

#include "platform/RegionCapture.h"

#include <QPointer>

class RegionOverlay;

// Region capture with Tarnel's own overlay: one grab of every screen, shown full-screen, on
// which the user drags a rectangle; the rectangle is cut from the grab and saved as PNG.
class X11RegionCapture : public RegionCapture
{
    Q_OBJECT
public:
    using RegionCapture::RegionCapture;
    ~X11RegionCapture() override;

    void captureRegion(const QString &pngPath, Done done) override;

private:
    QPointer<RegionOverlay> m_overlay;
};
