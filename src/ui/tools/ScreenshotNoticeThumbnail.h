#pragma once

#include "core/ClipboardEntry.h"

#include <QFutureWatcher>
#include <QImage>
#include <QWidget>

// The rounded thumbnail of a screenshot entry, in the toast, the text sheet and the notch's
// notice: the whole image (fits) or the frame filled and the overflow cut (fills), on the
// control surface; a camera symbol while there is no image. The image is decoded off the main
// thread and kept per entry id, so the toast and the sheet of one screenshot decode it once.
class ScreenshotNoticeThumbnail : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 6;
    // Decoded images are kept at most this large (twice the largest frame, for sharp screens).
    static constexpr QSize kCachedBox{248, 200};

    ScreenshotNoticeThumbnail(const ClipboardEntry &entry, bool fitsImage, QWidget *parent = nullptr);

    bool hasImage() const { return !m_image.isNull(); }
    bool isLoading() const { return m_isLoading; }
    // Forgets the kept images (tests).
    static void clearCache();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_fitsImage;
    QImage m_image;
    QFutureWatcher<QImage> m_loading;
    bool m_isLoading = false;
};
