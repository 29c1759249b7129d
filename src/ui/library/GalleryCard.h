#pragma once

#include "core/ClipboardEntry.h"

#include <QImage>
#include <QWidget>

#include <optional>

class EntryOverflowButton;

// One image in the gallery and screenshots sections: the picture (which pastes it), where and
// when it was copied, and the pin, read text, preview, delete and all actions buttons.
class GalleryCard : public QWidget {
    Q_OBJECT
public:
    enum class Action { Paste, Pin, ReadText, Preview, Delete, AllActions };

    static constexpr qreal kCornerRadius = 10;
    static constexpr qreal kBorderWidth = 0.7;
    static constexpr qreal kSelectedBorderOpacity = 0.7;
    static constexpr qreal kBorderOpacity = 0.55;
    static constexpr qreal kMinimumRatio = 0.62;
    static constexpr qreal kMaximumRatio = 1.72;
    static constexpr int kPlaceholderHeight = 112;
    static constexpr qreal kPlaceholderSymbolSize = 24;
    static constexpr qreal kInfoSize = 9;
    static constexpr int kInfoSpacing = 5;
    static constexpr int kInfoSidePadding = 8;
    static constexpr int kInfoTopPadding = 7;
    static constexpr int kActionSpacing = 5;
    static constexpr int kActionSidePadding = 7;
    static constexpr int kActionTopPadding = 6;
    static constexpr int kActionBottomPadding = 7;

    explicit GalleryCard(const ClipboardEntry &entry, QWidget *parent = nullptr);

    // The picture's width over its height, kept between the two limits; 1 for no size.
    static qreal ratio(const QSize &imageSize);

    const ClipboardEntry &entry() const { return m_entry; }
    // The decoded picture and the image's own size; a null image shows the placeholder.
    void setPicture(const QImage &image, const QSize &fullSize);
    bool hasPicture() const { return !m_image.isNull(); }
    void setSelected(bool selected);
    void setActionsOpen(bool open);
    EntryOverflowButton *button(Action action) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

Q_SIGNALS:
    void triggered(const QString &entryID, GalleryCard::Action action);
    void hovered(const QString &entryID);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;

private:
    qreal pictureHeight(int width) const;
    int infoHeight() const;

    ClipboardEntry m_entry;
    QImage m_image;
    QSize m_fullSize;
    bool m_selected = false;
    QList<std::pair<Action, EntryOverflowButton *>> m_buttons;
};
