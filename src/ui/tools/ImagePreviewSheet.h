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
// size, where it came from and when, and buttons to close or to paste it. It loads nothing
// itself (the opener hands in the image) and keeps no state.
class ImagePreviewSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{720, 590};

    ImagePreviewSheet(ClipboardEntry entry, QImage image, ClipboardAppearance appearance, QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }
    QSize sizeHint() const override { return kSize; }
    bool hasImage() const { return !m_image.isNull(); }
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
    QRectF imageRect() const;

    ClipboardEntry m_entry;
    QImage m_image;
    QWidget *m_iconTile = nullptr;
    QWidget *m_stage = nullptr;
    QImage m_fitted;
    QFutureWatcher<QImage> m_fitting;
};
