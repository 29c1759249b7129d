#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"

#include <QWidget>

#include <functional>

// The card that announces a new screenshot at the top right of the screen: its thumbnail, where
// to find it, and the two follow-ups. It only shows and forwards; its host places it and takes
// it away.
class ScreenshotAddedToast : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{320, 124};
    static constexpr qreal kRadius = 14;
    static constexpr int kPadding = 14;
    static constexpr int kSpacing = 10;
    static constexpr QSize kThumbnailSize{62, 50};

    ScreenshotAddedToast(ClipboardEntry entry, ClipboardAppearance appearance, QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }
    QSize sizeHint() const override { return kSize; }
    // The hint wraps inside the card's fixed frame; the card itself does not grow.
    bool hasHeightForWidth() const override { return false; }

Q_SIGNALS:
    // The follow-ups: edit the image on a canvas, read its text.
    void editRequested();
    void textRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ClipboardEntry m_entry;
};
