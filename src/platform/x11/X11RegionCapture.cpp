#include "platform/x11/X11RegionCapture.h"

#include "core/Logging.h"
#include "platform/x11/RegionOverlay.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QtConcurrent>

#include <memory>

namespace {

struct DesktopShot {
    QImage image; // device pixels, with the device pixel ratio set
    QRect geometry; // logical pixels
};

// One still image of the whole desktop, taken before the overlay shows.
std::optional<DesktopShot> grabDesktop()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return std::nullopt;
    const QRect desktop = primary->virtualGeometry();
    const qreal ratio = primary->devicePixelRatio();
    QImage image((QSizeF(desktop.size()) * ratio).toSize(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    bool grabbedAny = false;
    for (QScreen *screen : primary->virtualSiblings()) {
        const QPixmap grab = screen->grabWindow(0);
        if (grab.isNull())
            continue;
        grabbedAny = true;
        const QPointF offset = QPointF(screen->geometry().topLeft() - desktop.topLeft()) * ratio;
        QImage pixels = grab.toImage();
        pixels.setDevicePixelRatio(1.0);
        painter.drawImage(offset, pixels);
    }
    painter.end();
    if (!grabbedAny)
        return std::nullopt;
    image.setDevicePixelRatio(ratio);
    return DesktopShot{image, desktop};
}

} // namespace

X11RegionCapture::~X11RegionCapture()
{
    if (m_overlay)
        m_overlay->close();
}

void X11RegionCapture::captureRegion(const QString &pngPath, Done done)
{
    if (m_overlay) {
        done(RegionCaptureOutcome::Failed, QStringLiteral("a region capture is already running"));
        return;
    }
    const std::optional<DesktopShot> shot = grabDesktop();
    if (!shot) {
        done(RegionCaptureOutcome::Failed, QStringLiteral("the screen could not be captured"));
        return;
    }
    auto overlay = new RegionOverlay(shot->image, shot->geometry);
    m_overlay = overlay;
    // Exactly one of the two signals ends the capture; the shared callback guards against both.
    auto pending = std::make_shared<Done>(std::move(done));
    auto report = [pending](RegionCaptureOutcome outcome, const QString &error) {
        if (!*pending)
            return;
        Done finishNow = std::move(*pending);
        *pending = nullptr;
        finishNow(outcome, error);
    };
    connect(overlay, &RegionOverlay::cancelled, overlay, [overlay, report] {
        overlay->deleteLater();
        report(RegionCaptureOutcome::Cancelled, QString());
    });
    connect(overlay, &RegionOverlay::regionSelected, overlay,
            [overlay, report, image = shot->image, pngPath](const QRect &region) {
                overlay->deleteLater();
                const qreal ratio = image.devicePixelRatio();
                const QRect pixels = QRect((QPointF(region.topLeft()) * ratio).toPoint(),
                                           (QSizeF(region.size()) * ratio).toSize())
                                         .intersected(image.rect());
                // PNG encoding of a large selection takes long enough to stutter the interface.
                QFuture<QString> written = QtConcurrent::run([image, pixels, pngPath]() -> QString {
                    QImage cut = image.copy(pixels);
                    cut.setDevicePixelRatio(1.0);
                    QImageWriter writer(pngPath, "png");
                    if (!writer.write(cut))
                        return writer.errorString();
                    return QString();
                });
                written.then(QCoreApplication::instance(), [report](const QString &error) {
                    if (error.isEmpty())
                        report(RegionCaptureOutcome::Saved, QString());
                    else
                        report(RegionCaptureOutcome::Failed, QStringLiteral("could not write the selection: %1").arg(error));
                });
            });
    overlay->present();
}
