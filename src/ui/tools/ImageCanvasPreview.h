#pragma once

#include "ui/tools/ImageCanvasRenderer.h"

#include <QFutureWatcher>
#include <QImage>
#include <QWidget>

// The composer's live canvas: the largest canvas of the chosen aspect that fits the widget,
// painted by the same renderer as the saved file. The image is scaled once, off the main
// thread, to the largest size the preview can show; each repaint only places that copy. A
// change of aspect, background or corners moves to the new canvas over 0.16 s.
class ImageCanvasPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kChangeDuration{160};
    static constexpr qreal kCanvasRadius = 12;
    // The cached copy is scaled to fit this box (points at twice the pixels, for sharp screens).
    static constexpr QSize kCachedImageBox{1400, 1400};

    explicit ImageCanvasPreview(QImage image, QWidget *parent = nullptr);

    // Animated for the aspect, background mode and corners; at once otherwise.
    void setSettings(const ImageCanvasSettings &settings);
    const ImageCanvasSettings &settings() const { return m_settings; }
    // The canvas as drawn now (after any animation), in widget coordinates.
    QRectF canvasRect() const;
    bool hasCachedImage() const { return !m_cached.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF canvasRectFor(ImageCanvasAspect aspect) const;

    QSizeF m_naturalSize;
    QImage m_cached;
    QFutureWatcher<QImage> m_scaling;
    ImageCanvasSettings m_settings;
    ImageCanvasSettings m_previous;
    qreal m_progress = 1;
};
