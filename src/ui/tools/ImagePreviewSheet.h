#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"

#include <QFutureWatcher>
#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

class PanelButton;

// One image entry large enough to inspect: the image fitted into the stage, a badge with its
// size, where it came from and when, and buttons to close or to paste it. It reads nothing
// itself: the opener hands in the image, or the decode it started on the thread pool (see
// EntryImageLoader::loadAsync), whose result the sheet takes when it arrives. Until then the
// stage is empty and the paste waits; an image that could not be read shows as such.
class ImagePreviewSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{720, 590};

    ImagePreviewSheet(ClipboardEntry entry, QImage image, ClipboardAppearance appearance, QWidget *parent = nullptr);
    ImagePreviewSheet(ClipboardEntry entry, QFuture<QImage> image, ClipboardAppearance appearance,
                      QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }
    QSize sizeHint() const override { return kSize; }
    bool isLoading() const { return m_isLoading; }
    bool hasImage() const { return !m_image.isNull(); }
    // Whether the image is drawn: its copy scaled to the stage is ready.
    bool isImageShown() const { return hasImage() && !m_fitted.isNull(); }
    // "1440 × 900": the size in points, each side rounded half away from zero; nothing for a
    // size without area.
    static std::optional<QString> dimensions(QSizeF pointSize);
    std::optional<QString> dimensions() const;

Q_SIGNALS:
    // The close buttons.
    void closeRequested();
    // The paste button.
    void pasteRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void build(ClipboardAppearance appearance);
    void showImage(QImage image);
    void fitImage();
    QRectF imageRect() const;

    ClipboardEntry m_entry;
    QImage m_image;
    QWidget *m_iconTile = nullptr;
    QWidget *m_stage = nullptr;
    QWidget *m_unavailable = nullptr;
    PanelButton *m_paste = nullptr;
    bool m_isLoading = false;
    QFutureWatcher<QImage> m_loading;
    QImage m_fitted;
    QFutureWatcher<QImage> m_fitting;
};
