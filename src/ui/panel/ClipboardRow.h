#pragma once

#include "core/ClipboardEntry.h"
#include "core/LeadingText.h"
#include "ui/style/PanelStyle.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <chrono>

class DelayedEntryActions;
class PanelButton;
class QLabel;

// One history entry in the library's lists: a 32-point picture (image, colour swatch or kind
// symbol), the one-line preview, and a meta line with the kind, the source application and the
// copy time. A long or multi-line text unfolds ("Viac"/"Menej") into the full, selectable text
// with a paste button. Every activation (the picture, the title of a row that cannot unfold, the
// paste button) is the one `activated` signal; the row never acts on the model itself.
// Delegate-drawn lists paint the same header with paintHeader().
class ClipboardRow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeaderHeight = 55;
    static constexpr int kLeadingPadding = 10;
    static constexpr int kTrailingPadding = 5;
    static constexpr int kHeaderSpacing = 10;
    static constexpr int kThumbnailSide = 32;
    static constexpr qreal kThumbnailRadius = 8;
    static constexpr int kImageInset = 3;
    static constexpr int kColumnSpacing = 5;
    static constexpr int kTitleSpacing = 6;
    static constexpr int kMetaSpacing = 5;
    static constexpr int kMetaMinimumGap = 3;
    static constexpr qreal kTitleSize = 12;
    static constexpr qreal kToggleSize = 10;
    static constexpr qreal kMetaSize = 9;
    static constexpr qreal kKindSymbolSize = 13;
    static constexpr qreal kHourglassOpacity = 0.8;
    static constexpr int kUnfoldedSidePadding = 10;
    static constexpr int kUnfoldedBottomPadding = 12;
    static constexpr int kUnfoldedSpacing = 12;
    static constexpr int kMaximumFoldedCharacters = 60;
    // The unfolded part is laid out on every repaint, so it shows at most this many UTF-16 units
    // of a text, then an ellipsis; "Vložiť text" still pastes all of it.
    static constexpr qsizetype kUnfoldedTextLimit = LeadingText::kLongestShown;
    static constexpr std::chrono::milliseconds kUnfoldDuration{220};

    // What the header shows; `thumbnail` is the decoded picture of an image entry (null until
    // decoded, or when the bytes are not an image: the photo tile is drawn then).
    struct Header {
        ClipboardEntry entry{};
        bool isSelected = false;
        bool isExpanded = false;
        QImage thumbnail{};
        QDateTime now{};
    };
    // Where the header's clickable parts lie within its rectangle.
    struct HeaderGeometry {
        QRectF thumbnail;
        QRectF title;
        QRectF toggle; // empty when the entry cannot unfold
    };

    explicit ClipboardRow(const ClipboardEntry &entry, bool isSelected = false, QWidget *parent = nullptr);

    void setEntry(const ClipboardEntry &entry);
    const ClipboardEntry &entry() const { return m_header.entry; }
    void setSelected(bool selected);
    void setThumbnail(const QImage &thumbnail);
    bool isExpanded() const { return m_header.isExpanded; }
    // Unfolds or folds over kUnfoldDuration (scaled by the global animation factor), or at once.
    void setExpanded(bool expanded, bool animated = true);
    // How far the row has unfolded: 0 folded, 1 unfolded, between while it animates.
    qreal unfoldProgress() const { return m_unfold; }
    // The unfolded part (the selectable text and the paste button); null while folded.
    DelayedEntryActions *unfoldedPart() const;
    // A row laid over a delegate-drawn list leaves the clicks on its header (the picture and
    // "Viac"/"Menej") to the list under it, which hit-tests the same geometry; the unfolded
    // part still takes its own.
    void setPassesHeaderClicks(bool passes) { m_passesHeaderClicks = passes; }

    // Text (not image or file) of more than 60 characters as the user sees them, or with a line feed.
    static bool canExpand(const ClipboardEntry &entry);
    static HeaderGeometry headerGeometry(const QRectF &rect, const Header &header);
    static void paintHeader(QPainter &painter, const QRectF &rect, const Header &header, const PanelStyle::Colors &colors);

    // The unfolded part as delegate-drawn lists paint it under the header: the full text wrapped
    // to the width, then the "Vložiť text" button. `rect` starts at the header's bottom edge.
    struct UnfoldedGeometry {
        QRectF text;
        QRectF pasteButton;
    };
    static int unfoldedPartHeight(const ClipboardEntry &entry, qreal width);
    // The text the unfolded part shows: the whole text, or its beginning up to the limit, cut
    // between two characters as a person counts them, and an ellipsis.
    static QString unfoldedText(const QString &text);
    static UnfoldedGeometry unfoldedGeometry(const QRectF &rect, const ClipboardEntry &entry);
    static void paintUnfolded(QPainter &painter, const QRectF &rect, const ClipboardEntry &entry, bool pasteHovered,
                              const PanelStyle::Colors &colors);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

Q_SIGNALS:
    void activated();
    void expandedChanged(bool expanded);
    // Every step of the unfold animation: the row's height for a width has changed.
    void unfoldProgressChanged(qreal progress);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildUnfolded();
    void dropUnfolded();
    int unfoldedHeight(int width) const;

    Header m_header;
    qreal m_unfold = 0; // 0 folded, 1 unfolded, between while animating
    bool m_passesHeaderClicks = false;
    QPointer<DelayedEntryActions> m_unfolded;
    QLabel *m_fullText = nullptr;
};
