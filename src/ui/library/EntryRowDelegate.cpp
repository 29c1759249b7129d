#include "ui/library/EntryRowDelegate.h"

#include "ui/library/EntryListModel.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/style/PanelClock.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QAbstractItemView>
#include <QPainter>

namespace {

using Control = EntryRowDelegate::Control;

QString symbolOf(Control control, const ClipboardEntry &entry, bool inStack)
{
    switch (control) {
    case Control::Pin:
        return entry.isPinned ? QStringLiteral("pin.fill") : QStringLiteral("pin");
    case Control::AddToStack:
        return inStack ? QStringLiteral("checkmark") : QStringLiteral("plus");
    case Control::RemoveFromStack:
        return QStringLiteral("minus");
    case Control::ReadText:
        return QStringLiteral("text.viewfinder");
    case Control::Delete:
        return QStringLiteral("trash");
    case Control::AllActions:
        return QStringLiteral("slider.horizontal.3");
    case Control::Toggle:
        return QStringLiteral("ellipsis");
    default:
        return {};
    }
}

} // namespace

EntryRowDelegate::EntryRowDelegate(EntryListModel &entries, EntryThumbnails &thumbnails, bool inPasteStack,
                                   Context context, QObject *parent)
    : QStyledItemDelegate(parent), m_entries(entries), m_thumbnails(thumbnails), m_inPasteStack(inPasteStack),
      m_context(std::move(context))
{
}

EntryRowDelegate::Layout EntryRowDelegate::layout(const QRectF &itemRect, const ClipboardEntry &entry, bool inPasteStack,
                                                  bool isUnfolded)
{
    Layout l;
    l.card = QRectF(itemRect.left(), itemRect.top(), itemRect.width(), itemRect.height() - kRowSpacing);
    // Everything sits on the header line; a row showing its whole text grows below it.
    const qreal middle = l.card.top() + ClipboardRow::kHeaderHeight / 2.0;
    qreal left = l.card.left();
    if (inPasteStack) {
        l.badge = QRectF(left + kBadgeLeadingPadding, middle - kBadgeSide / 2.0, kBadgeSide, kBadgeSide);
        left = l.badge.right();
    }
    qreal right = l.card.right();
    if (inPasteStack) {
        right -= kHandleTrailingPadding;
        l.handle = QRectF(right - kHandleWidth, l.card.top(), kHandleWidth, ClipboardRow::kHeaderHeight);
        right = l.handle.left();
    }
    right -= inPasteStack ? kStackToggleTrailingPadding : kToggleTrailingPadding;
    const auto place = [&](Control control) {
        l.controls.prepend({control, QRectF(right - kControlSide, middle - kControlSide / 2.0, kControlSide, kControlSide)});
        right -= kControlSide + kControlLeadingPadding;
    };
    place(Control::Toggle);
    if (isUnfolded) {
        place(Control::AllActions);
        place(Control::Delete);
        if (entry.kind == ClipboardKind::Image)
            place(Control::ReadText);
        place(inPasteStack ? Control::RemoveFromStack : Control::AddToStack);
        place(Control::Pin);
    }
    l.header = QRectF(left, l.card.top(), std::max<qreal>(0, right + kControlLeadingPadding - left), ClipboardRow::kHeaderHeight);
    const qreal textTop = l.card.top() + ClipboardRow::kHeaderHeight;
    if (l.card.bottom() > textTop) {
        const qreal textRight = l.card.right() - (inPasteStack ? kStackToggleTrailingPadding : kToggleTrailingPadding);
        l.fullText = QRectF(left, textTop, std::max<qreal>(0, textRight - left), l.card.bottom() - textTop);
    }
    return l;
}

bool EntryRowDelegate::isUnfolded(const ClipboardEntry &entry) const
{
    return m_context.expandedID && m_context.expandedID() == entry.id;
}

bool EntryRowDelegate::isTextUnfolded(const ClipboardEntry &entry) const
{
    if (ClipboardRow *row = rowWidget(entry))
        return row->isExpanded();
    return ClipboardRow::canExpand(entry) && m_context.isTextUnfolded && m_context.isTextUnfolded(entry.id);
}

ClipboardRow *EntryRowDelegate::rowWidget(const ClipboardEntry &entry) const
{
    return m_context.rowWidget ? m_context.rowWidget(entry.id) : nullptr;
}

bool EntryRowDelegate::isStripInert() const { return m_context.isStripInert && m_context.isStripInert(); }

QRect EntryRowDelegate::rowWidgetRect(const Layout &layout)
{
    return QRectF(layout.header.left(), layout.card.top(), layout.header.width(), layout.card.height()).toAlignedRect();
}

QRectF EntryRowDelegate::controlRect(const QModelIndex &index, const QRect &itemRect, Control control) const
{
    const ClipboardEntry *entry = m_entries.entryAt(index.row());
    if (!entry)
        return {};
    const Layout l = layout(itemRect, *entry, m_inPasteStack, isUnfolded(*entry));
    if (control == Control::ExpandText) {
        ClipboardRow::Header header;
        header.entry = *entry;
        header.isExpanded = isTextUnfolded(*entry);
        return ClipboardRow::headerGeometry(l.header, header).toggle;
    }
    if (control == Control::Handle)
        return m_inPasteStack ? l.handle : QRectF();
    for (const auto &[placed, rect] : l.controls) {
        if (placed == control)
            return rect;
    }
    return {};
}

QList<Control> EntryRowDelegate::controlsOf(const ClipboardEntry &entry) const
{
    QList<Control> controls;
    if (ClipboardRow::canExpand(entry))
        controls.append(Control::ExpandText);
    const Layout l = layout(QRectF(0, 0, 1000, ClipboardRow::kHeaderHeight + kRowSpacing), entry, m_inPasteStack,
                            isUnfolded(entry));
    for (const auto &[control, rect] : l.controls) {
        if (control == Control::Toggle || !isStripInert())
            controls.append(control);
    }
    // The Paste Stack's drag handle, last as it is drawn.
    if (m_inPasteStack)
        controls.append(Control::Handle);
    return controls;
}

void EntryRowDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const ClipboardEntry *entry = m_entries.entryAt(index.row());
    if (!entry)
        return;
    editor->setGeometry(rowWidgetRect(layout(option.rect, *entry, m_inPasteStack, isUnfolded(*entry))));
}

Control EntryRowDelegate::controlAt(const QModelIndex &index, const QRect &itemRect, const QPointF &point) const
{
    const ClipboardEntry *entry = m_entries.entryAt(index.row());
    if (!entry)
        return Control::None;
    const Layout l = layout(itemRect, *entry, m_inPasteStack, isUnfolded(*entry));
    if (!l.card.contains(point))
        return Control::None;
    for (const auto &[control, rect] : l.controls) {
        if (rect.contains(point))
            return control == Control::Toggle || !isStripInert() ? control : Control::None;
    }
    if (l.handle.contains(point))
        return Control::Handle;
    if (l.header.contains(point)) {
        ClipboardRow::Header header;
        header.entry = *entry;
        header.isExpanded = isTextUnfolded(*entry);
        const ClipboardRow::HeaderGeometry g = ClipboardRow::headerGeometry(l.header, header);
        // A long text's title is not a button: its "Viac" unfolds it, and only the picture pastes.
        if (g.toggle.isEmpty() || g.thumbnail.contains(point))
            return Control::Header;
        return g.toggle.adjusted(-kToggleSlop.width(), -kToggleSlop.height(), kToggleSlop.width(), kToggleSlop.height())
                       .contains(point)
                   ? Control::ExpandText
                   : Control::None;
    }
    // A row widget's paste button is a button of its own; only a drawn one is hit-tested here.
    if (!rowWidget(*entry) && !l.fullText.isEmpty() && isTextUnfolded(*entry)
        && ClipboardRow::unfoldedGeometry(l.fullText, *entry).pasteButton.contains(point))
        return Control::PasteText;
    return Control::None;
}

void EntryRowDelegate::setHovered(const QModelIndex &index, Control control)
{
    m_hoveredIndex = index;
    m_hoveredControl = control;
}

QSize EntryRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const ClipboardEntry *entry = m_entries.entryAt(index.row());
    ClipboardRow *row = entry ? rowWidget(*entry) : nullptr;
    if (!entry || (!row && !isTextUnfolded(*entry)))
        return QSize(option.rect.width(), ClipboardRow::kHeaderHeight + kRowSpacing);
    // Measured at the width the row is drawn at: the list's own.
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const int width = view ? view->viewport()->width() : option.rect.width();
    if (row) {
        // The row widget unfolds at the header's width and grows as its animation runs.
        const Layout l = layout(QRectF(0, 0, width, ClipboardRow::kHeaderHeight + kRowSpacing), *entry, m_inPasteStack,
                                isUnfolded(*entry));
        return QSize(width, row->heightForWidth(rowWidgetRect(l).width()) + kRowSpacing);
    }
    const Layout l = layout(QRectF(0, 0, width, ClipboardRow::kHeaderHeight * 2 + kRowSpacing), *entry, m_inPasteStack, false);
    return QSize(width, ClipboardRow::kHeaderHeight + ClipboardRow::unfoldedPartHeight(*entry, l.fullText.width()) + kRowSpacing);
}

void EntryRowDelegate::paintControl(QPainter &painter, const QRectF &rect, Control control, const ClipboardEntry &entry,
                                    bool hovered, const PanelStyle::Colors &c) const
{
    const bool inStack = m_context.isInPasteStack && m_context.isInPasteStack(entry.id);
    bool open = false;
    if (control == Control::Pin)
        open = entry.isPinned;
    else if (control == Control::AddToStack)
        open = inStack;
    else if (control == Control::AllActions)
        open = m_context.actionEntryID && m_context.actionEntryID() == entry.id;
    else if (control == Control::Toggle)
        open = isUnfolded(entry);
    const bool enabled = !(control == Control::AddToStack && inStack);
    const QColor tint = control == Control::Delete ? c.systemRed : c.accent;
    const qreal highlight = (open || (hovered && enabled)) ? 1.0 : 0.0;
    PanelStyle::fillRounded(painter, rect, kControlRadius, PanelStyle::mix(c.surface, PanelStyle::withOpacity(tint, kTintOpacity), highlight));
    painter.save();
    if (!enabled)
        painter.setOpacity(kDisabledOpacity);
    PanelIcons::paint(painter, rect, symbolOf(control, entry, inStack), kControlSymbolSize, PanelStyle::mix(c.secondary, tint, highlight));
    painter.restore();
}

void EntryRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const ClipboardEntry *entry = m_entries.entryAt(index.row());
    if (!entry)
        return;
    const PanelStyle::Colors &c = PanelStyle::colors(option.widget);
    const bool selected = m_context.selectedID && m_context.selectedID() == entry->id;
    const Layout l = layout(option.rect, *entry, m_inPasteStack, isUnfolded(*entry));

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (const qreal slide = m_context.slideOffset ? m_context.slideOffset(entry->id) : 0.0; slide != 0.0)
        painter->translate(0, slide);
    PanelStyle::fillRounded(*painter, l.card, kCornerRadius,
                            selected ? PanelStyle::withOpacity(c.accent, kSelectedOpacity) : c.surface);
    if (m_inPasteStack) {
        PanelStyle::fillRounded(*painter, l.badge, kBadgeRadius, c.controlSurface);
        painter->setPen(c.secondary);
        PanelText::drawFixed(*painter, l.badge, PanelStyle::font(kBadgeTextSize, QFont::DemiBold), QString::number(index.row() + 1), Qt::AlignCenter);
        const bool dragged = m_context.draggedID && m_context.draggedID() == entry->id;
        PanelIcons::paint(*painter, l.handle, QStringLiteral("line.3.horizontal"), kHandleSymbolSize,
                          dragged ? c.accent : c.muted);
    }
    // A row widget draws its own header and selectable text over the card.
    if (!rowWidget(*entry)) {
        ClipboardRow::Header header;
        header.entry = *entry;
        header.isSelected = selected;
        header.now = PanelClock::now();
        header.isExpanded = isTextUnfolded(*entry);
        if (entry->kind == ClipboardKind::Image)
            header.thumbnail = const_cast<EntryThumbnails &>(m_thumbnails).thumbnail(*entry);
        ClipboardRow::paintHeader(*painter, l.header, header, c);
        if (header.isExpanded && !l.fullText.isEmpty()) {
            const bool pasteHovered = m_hoveredIndex == index && m_hoveredControl == Control::PasteText;
            ClipboardRow::paintUnfolded(*painter, l.fullText, *entry, pasteHovered, c);
        }
    }
    const qreal stripOpacity = isStripInert() ? 0.0 : (m_context.stripOpacity ? m_context.stripOpacity() : 1.0);
    const Control keyboard = selected && m_context.keyboardControl ? m_context.keyboardControl() : Control::None;
    for (const auto &[control, rect] : l.controls) {
        const bool hovered = (m_hoveredIndex == index && m_hoveredControl == control) || keyboard == control;
        painter->setOpacity(control == Control::Toggle ? 1.0 : stripOpacity);
        paintControl(*painter, rect, control, *entry, hovered, c);
    }
    painter->restore();
}
