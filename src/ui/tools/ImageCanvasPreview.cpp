#include "ui/tools/ImageCanvasPreview.h"

#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QtConcurrent>

ImageCanvasPreview::ImageCanvasPreview(QImage image, QWidget *parent)
    : QWidget(parent)
    , m_naturalSize(image.size())
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(&m_scaling, &QFutureWatcher<QImage>::finished, this, [this] {
        if (m_scaling.future().resultCount() > 0)
            m_cached = m_scaling.result();
        update();
    });
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return;
    m_scaling.setFuture(QtConcurrent::run([image] {
        if (image.width() <= kCachedImageBox.width() && image.height() <= kCachedImageBox.height())
            return image;
        return image.scaled(kCachedImageBox, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }));
}

void ImageCanvasPreview::setSettings(const ImageCanvasSettings &settings)
{
    if (settings == m_settings)
        return;
    const bool animates = settings.aspect != m_settings.aspect || settings.backgroundMode != m_settings.backgroundMode
        || settings.cornerStyle != m_settings.cornerStyle;
    m_previous = m_settings;
    m_settings = settings;
    if (!animates) {
        m_progress = 1;
        update();
        return;
    }
    m_progress = 0;
    PanelMotion::animate(this, "canvas", 0.0, 1.0, kChangeDuration, PanelMotion::easeInOut(),
                         [this](const QVariant &value) {
                             m_progress = value.toReal();
                             update();
                         });
}

QRectF ImageCanvasPreview::canvasRectFor(ImageCanvasAspect aspect) const
{
    const QSizeF size = ImageCanvas::size(aspect, QSizeF(this->size()));
    return QRectF((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
}

QRectF ImageCanvasPreview::canvasRect() const
{
    const QRectF from = canvasRectFor(m_previous.aspect);
    const QRectF to = canvasRectFor(m_settings.aspect);
    if (m_progress >= 1)
        return to;
    const auto mix = [this](qreal a, qreal b) { return a + (b - a) * m_progress; };
    return QRectF(mix(from.x(), to.x()), mix(from.y(), to.y()), mix(from.width(), to.width()),
                  mix(from.height(), to.height()));
}

void ImageCanvasPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF canvas = canvasRect();
    QPainterPath clip;
    clip.addRoundedRect(canvas, kCanvasRadius, kCanvasRadius);
    painter.save();
    painter.setClipPath(clip);
    painter.translate(canvas.topLeft());
    // Until the scaled copy is ready the background shows alone.
    const QSizeF natural = m_cached.isNull() ? QSizeF() : m_naturalSize;
    if (m_progress < 1) {
        ImageCanvasRenderer::paint(painter, canvas.size(), m_previous, m_cached, natural);
        painter.setOpacity(m_progress);
    }
    ImageCanvasRenderer::paint(painter, canvas.size(), m_settings, m_cached, natural);
    painter.restore();
    PanelStyle::strokeRounded(painter, canvas.adjusted(0.5, 0.5, -0.5, -0.5), kCanvasRadius,
                              PanelStyle::colors(this).border);
}
