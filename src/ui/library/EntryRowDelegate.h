#pragma once

#include "core/ClipboardEntry.h"
#include "ui/style/PanelStyle.h"

#include <QSizeF>
#include <QStyledItemDelegate>

#include <functional>
#include <optional>

class ClipboardRow;
class EntryListModel;
class EntryThumbnails;

// Draws one entry of a section list: the entry row of the style kit on a rounded card, and the
// row's controls to its right (the folded strip of pin, Paste Stack, text, delete and all actions,
// and the toggle that unfolds it). In the Paste Stack the card starts with the position and ends
// with the drag handle. Geometry is one function, so painting and hit-testing agree.
class EntryRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum class Control {
        None, Header, Pin, AddToStack, RemoveFromStack, ReadText, Delete, AllActions, Toggle, Handle,
        ExpandText, // "Viac" / "Menej" of a long text
        PasteText,  // "Vložiť text" under an unfolded text
    };

    static constexpr int kRowSpacing = 5;
    static constexpr qreal kCornerRadius = 11;
    static constexpr qreal kSelectedOpacity = 0.085;
    static constexpr int kControlSide = 27;
    static constexpr qreal kControlRadius = 8;
    static constexpr qreal kControlSymbolSize = 12;
    static constexpr int kControlLeadingPadding = 4;
    static constexpr int kToggleTrailingPadding = 9;
    static constexpr int kStackToggleTrailingPadding = 2;
    static constexpr int kBadgeSide = 25;
    static constexpr qreal kBadgeRadius = 7;
    static constexpr int kBadgeLeadingPadding = 7;
    static constexpr qreal kBadgeTextSize = 10;
    static constexpr int kHandleWidth = 27;
    static constexpr int kHandleTrailingPadding = 5;
    static constexpr qreal kHandleSymbolSize = 10;
    static constexpr qreal kDisabledOpacity = 0.35;
    static constexpr qreal kTintOpacity = 0.11;
    // "Viac" is a small word: the click may land a little beside it.
    static constexpr QSizeF kToggleSlop{4, 6};

    // What the delegate needs to know beyond the entry itself.
    struct Context {
        std::function<std::optional<QString>()> selectedID;
        std::function<std::optional<QString>()> expandedID;
        std::function<std::optional<QString>()> actionEntryID;
        std::function<std::optional<QString>()> draggedID;
        std::function<bool(const QString &)> isInPasteStack;
        // How far the unfolded strip has faded in (0 to 1).
        std::function<qreal()> stripOpacity;
        // Whether the row shows the entry's whole text ("Viac" was clicked).
        std::function<bool(const QString &)> isTextUnfolded;
        // The row widget laid over a row whose text unfolds (header and selectable text), if any:
        // that row's header and text are its to draw.
        std::function<ClipboardRow *(const QString &)> rowWidget;
        // While the strip waits to appear it draws nothing and takes no click.
        std::function<bool()> isStripInert;
        // The control the keyboard is on, in the selected row; drawn as the pointer's.
        std::function<Control()> keyboardControl;
        // How far above (negative) or below its place a row is drawn while it slides there.
        std::function<qreal(const QString &)> slideOffset;
    };
    struct Layout {
        QRectF card;
        QRectF badge;
        QRectF header;
        QRectF handle;
        QList<std::pair<Control, QRectF>> controls; // the strip (when unfolded) and the toggle
        QRectF fullText; // under the header, while the whole text shows
    };

    EntryRowDelegate(EntryListModel &entries, EntryThumbnails &thumbnails, bool inPasteStack, Context context,
                     QObject *parent = nullptr);

    // Where the parts of a row lie within its item rectangle.
    static Layout layout(const QRectF &itemRect, const ClipboardEntry &entry, bool inPasteStack, bool isUnfolded);
    Control controlAt(const QModelIndex &index, const QRect &itemRect, const QPointF &point) const;
    // Where a control of the row at `index` lies (empty when the row does not show it).
    QRectF controlRect(const QModelIndex &index, const QRect &itemRect, Control control) const;
    // The controls a row offers now, left to right (the ones the pointer can reach).
    QList<Control> controlsOf(const ClipboardEntry &entry) const;
    // Where a row widget lies within its item: the header's column down to the card's bottom.
    static QRect rowWidgetRect(const Layout &layout);
    void setHovered(const QModelIndex &index, Control control);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    bool isUnfolded(const ClipboardEntry &entry) const;
    bool isTextUnfolded(const ClipboardEntry &entry) const;
    ClipboardRow *rowWidget(const ClipboardEntry &entry) const;
    bool isStripInert() const;
    void paintControl(QPainter &painter, const QRectF &rect, Control control, const ClipboardEntry &entry, bool hovered,
                      const PanelStyle::Colors &colors) const;

    EntryListModel &m_entries;
    EntryThumbnails &m_thumbnails;
    bool m_inPasteStack;
    Context m_context;
    QPersistentModelIndex m_hoveredIndex;
    Control m_hoveredControl = Control::None;
};
