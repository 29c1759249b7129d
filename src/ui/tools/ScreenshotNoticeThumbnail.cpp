#include "ui/tools/ScreenshotNoticeThumbnail.h"

#include "core/L10n.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/EntryImageLoader.h"

#include <QCache>
#include <QPainter>
#include <QPainterPath>
#include <QtConcurrent>

namespace {

// A few recent screenshots: the toast and the sheet of the latest ones.
constexpr int kCachedImages = 8;

QCache<QString, QImage> &cache()
{
    static QCache<QString, QImage> images(kCachedImages);
    return images;
}

} // namespace

ScreenshotNoticeThumbnail::ScreenshotNoticeThumbnail(const ClipboardEntry &entry, bool fitsImage, QWidget *parent)
    : QWidget(parent)
    , m_fitsImage(fitsImage)
{
    setAccessibleName(L10n::text(QStringLiteral("Náhľad screenshotu")));
    if (const QImage *kept = cache().object(entry.id)) {
        m_image = *kept;
        return;
    }
    const QString id = entry.id;
    m_isLoading = true;
    connect(&m_loading, &QFutureWatcher<QImage>::finished, this, [this, id] {
        m_isLoading = false;
        if (m_loading.future().resultCount() == 0)
            return;
        m_image = m_loading.result();
        if (!m_image.isNull())
            cache().insert(id, new QImage(m_image));
        update();
    });
    m_loading.setFuture(QtConcurrent::run([entry] {
        // Read at the thumbnail's size: a large screenshot is never decoded whole for it.
        const QImage image = EntryImageLoader::load(entry, std::nullopt, kCachedBox);
        if (image.width() <= kCachedBox.width() && image.height() <= kCachedBox.height())
            return image;
        return image.scaled(kCachedBox, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    }));
}

void ScreenshotNoticeThumbnail::clearCache()
{
    cache().clear();
}

void ScreenshotNoticeThumbnail::paintEvent(QPaintEvent *)
{
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF frame(rect());
    QPainterPath shape;
    shape.addRoundedRect(frame, kRadius, kRadius);
    painter.setClipPath(shape);
    painter.fillRect(frame, colors.controlSurface);
    if (m_image.isNull()) {
        PanelIcons::paint(painter, frame, QStringLiteral("camera.viewfinder"), 13, colors.accent);
        return;
    }
    const QSizeF size = QSizeF(m_image.size()).scaled(frame.size(), m_fitsImage ? Qt::KeepAspectRatio
                                                                                : Qt::KeepAspectRatioByExpanding);
    const QRectF target(frame.center().x() - size.width() / 2, frame.center().y() - size.height() / 2, size.width(),
                        size.height());
    painter.drawImage(target, m_image);
}
