#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"

#include <QImage>
#include <QWidget>

#include <functional>

// Stand-in for the image canvas composer until it is built: shows the image it was given
// (or says there is none) and can be closed.
class ImageCanvasComposerSheet : public QWidget {
    Q_OBJECT
public:
    ImageCanvasComposerSheet(ClipboardEntry entry, QImage image, ClipboardAppearance appearance,
                             std::function<void()> onClose, QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }
    bool hasImage() const { return !m_image.isNull(); }

private:
    ClipboardEntry m_entry;
    QImage m_image;
};
