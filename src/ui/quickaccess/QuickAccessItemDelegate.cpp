#include "ui/quickaccess/QuickAccessItemDelegate.h"

#include "core/ClipboardColor.h"
#include "core/L10n.h"
#include "ui/quickaccess/QuickAccessListModel.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/style/ShortcutBadge.h"

#include <QPainter>
#include <QWidget>

namespace {

constexpr qreal kTitleSize = 11;
constexpr qreal kMetaSize = 9;
constexpr qreal kKindSymbolSize = 13;
constexpr qreal kChevronSymbolSize = 10;
constexpr qreal kReturnSymbolSize = 9;
constexpr qreal kBadgeSize = 9;
constexpr int kBadgeHorizontal = 6;
constexpr int kBadgeVertical = 4;
constexpr qreal kBadgeRadius = 5;
constexpr int kMetaSpacing = 4;
constexpr int kMinimumGap = 4;
constexpr qreal kOnBlueTile = 0.18;
constexpr qreal kOnBlueMeta = 0.78;
constexpr qreal kOnBlueSeparator = 0.7;
constexpr qreal kOnBlueReturn = 0.9;
constexpr qreal kSwatchBorder = 0.08;
constexpr qreal kSnippetSelected = 0.13;

const QColor &onBlue()
{
    static const QColor white(Qt::white);
    return white;
}

// The Return mark a selected row without a shortcut shows at its right end; gives the new right
// end of the room left for the texts.
qreal paintReturnMark(QPainter &painter, const QRectF &row, qreal trailing, const QColor &color)
{
    const qreal side = PanelIcons::side(kReturnSymbolSize);
    PanelIcons::paint(painter, QRectF(trailing - side, row.top(), side, row.height()), QStringLiteral("return"),
                      kReturnSymbolSize, color);
    return trailing - side;
}

// Every list row's two lines of text, a title over a smaller line, centred together in the row.
struct TextLines {
    qreal titleHeight = 0;
    qreal secondHeight = 0;
    qreal top = 0;
    qreal secondTop = 0;

    TextLines(const QRectF &row, const QFont &titleFont, const QFont &secondFont)
        : titleHeight(PanelText::lineHeight(titleFont))
        , secondHeight(PanelText::lineHeight(secondFont))
        , top(row.center().y() - (titleHeight + QuickAccessItemDelegate::kTextSpacing + secondHeight) / 2)
        , secondTop(top + titleHeight + QuickAccessItemDelegate::kTextSpacing)
    {
    }
};

} // namespace

QuickAccessItemDelegate::QuickAccessItemDelegate(const QuickAccessListModel &rows,
                                                 std::function<QImage(const ClipboardEntry &)> thumbnail,
                                                 QObject *parent)
    : QStyledItemDelegate(parent)
    , m_rows(rows)
    , m_thumbnail(std::move(thumbnail))
{
}

QSize QuickAccessItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {option.rect.width(), kRowHeight + kRowSpacing};
}

QRect QuickAccessItemDelegate::chevronRect(const QRect &row, const ClipboardEntry &entry)
{
    if (entry.kind == ClipboardKind::File)
        return {};
    const QRect body(row.left(), row.top(), row.width(), kRowHeight);
    return QRect(QPoint(body.right() + 1 - kChevronTrailing - kChevronSize.width(),
                        body.center().y() - kChevronSize.height() / 2 + 1),
                 kChevronSize);
}

void QuickAccessItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = index.data(QuickAccessListModel::SelectedRole).toBool();
    if (const ClipboardEntry *entry = m_rows.entryAt(index.row()))
        paintEntry(*painter, option.rect, *entry, index.row(), selected);
    else if (m_rows.snippetAt(index.row()))
        paintSnippet(*painter, option.rect, index.row(), selected);
    painter->restore();
}

void QuickAccessItemDelegate::paintEntry(QPainter &painter, const QRect &rowRect, const ClipboardEntry &entry, int index,
                                         bool selected) const
{
    const auto *widget = qobject_cast<const QWidget *>(parent());
    const PanelStyle::Colors &colors = PanelStyle::colors(widget);
    // The platform's standard blue in both appearances: the dark kit's accent is too light
    // to carry the white title.
    const QColor &blue = colors.systemBlue;
    const QRectF row(rowRect.left(), rowRect.top(), rowRect.width(), kRowHeight);
    PanelStyle::fillRounded(painter, row, kRowRadius, selected ? blue : colors.surface);

    // Artwork.
    const QRectF art(row.left() + kLeadingPadding, row.center().y() - kArtworkSide / 2.0, kArtworkSide, kArtworkSide);
    const QImage thumbnail = entry.kind == ClipboardKind::Image && m_thumbnail ? m_thumbnail(entry) : QImage();
    const std::optional<ClipboardColor::Components> swatch =
        entry.kind == ClipboardKind::Color ? ClipboardColor::components(entry.text) : std::nullopt;
    if (!thumbnail.isNull()) {
        PanelStyle::fillRounded(painter, art, kArtworkRadius, colors.controlSurface);
        const QRectF room = art.adjusted(kArtworkPadding, kArtworkPadding, -kArtworkPadding, -kArtworkPadding);
        const QSizeF fitted = QSizeF(thumbnail.size()).scaled(room.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(room.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted), thumbnail);
    } else if (swatch) {
        PanelStyle::fillRounded(painter, art, kArtworkRadius, QColor::fromRgbF(float(swatch->red), float(swatch->green),
                                                                                float(swatch->blue)));
        PanelStyle::strokeRounded(painter, art.adjusted(0.5, 0.5, -0.5, -0.5), kArtworkRadius,
                                  PanelStyle::withOpacity(Qt::black, kSwatchBorder));
    } else {
        PanelStyle::fillRounded(painter, art, kArtworkRadius,
                                selected ? PanelStyle::withOpacity(onBlue(), kOnBlueTile) : colors.controlSurface);
        PanelIcons::paint(painter, art, KindPresentation::symbol(entry.kind), kKindSymbolSize,
                          selected ? onBlue() : colors.accent);
    }

    // Trailing: chevron (or the file gap), then the badge before it.
    const QRect chevron = chevronRect(rowRect, entry);
    qreal trailing = chevron.isNull() ? row.right() - kFileGap : chevron.left() - kChevronLeading;
    if (!chevron.isNull()) {
        PanelStyle::fillRounded(painter, chevron, kArtworkRadius,
                                selected ? PanelStyle::withOpacity(onBlue(), kOnBlueTile) : colors.controlSurface);
        PanelIcons::paint(painter, chevron, QStringLiteral("chevron.right"), kChevronSymbolSize,
                          selected ? onBlue() : colors.secondary);
    }
    const QString badge = m_rows.index(index).data(QuickAccessListModel::ShortcutRole).toString();
    if (!badge.isEmpty()) {
        const QFont font = PanelStyle::font(kBadgeSize, QFont::DemiBold);
        const qreal width = PanelText::width(font, badge) + 2 * kBadgeHorizontal;
        const qreal height = PanelText::lineHeight(font) + 2 * kBadgeVertical;
        const QRectF rect(trailing - width, row.center().y() - height / 2, width, height);
        PanelStyle::fillRounded(painter, rect, kBadgeRadius, selected ? onBlue() : colors.controlSurface);
        painter.setPen(selected ? blue : colors.secondary);
        PanelText::drawFixed(painter, rect, font, badge, Qt::AlignCenter);
        trailing = rect.left();
    } else if (selected) {
        trailing = paintReturnMark(painter, row, trailing, PanelStyle::withOpacity(onBlue(), kOnBlueReturn));
    }

    // Title and meta line.
    const qreal textLeft = art.right() + kSpacing;
    const qreal textWidth = std::max(0.0, trailing - kMinimumGap - textLeft);
    const QFont metaFont = PanelStyle::font(kMetaSize);
    const QFont sourceFont = PanelStyle::exactFont(kMetaSize);
    const QFont titleFont = PanelStyle::exactFont(kTitleSize, QFont::Medium);
    const TextLines lines(row, titleFont, metaFont);
    const qreal metaHeight = lines.secondHeight;
    painter.setPen(selected ? onBlue() : colors.primary);
    PanelText::drawElided(painter, QRectF(textLeft, lines.top, textWidth, lines.titleHeight), titleFont,
                          m_rows.index(index).data(QuickAccessListModel::TitleRole).toString());

    const QColor metaColor = selected ? PanelStyle::withOpacity(onBlue(), kOnBlueMeta) : colors.muted;
    const QString time = m_rows.index(index).data(QuickAccessListModel::TimeRole).toString();
    const QString separator = QStringLiteral("·");
    const qreal metaTop = lines.secondTop;
    const qreal timeWidth = PanelText::width(metaFont, time);
    const qreal separatorWidth = PanelText::width(metaFont, separator);
    const qreal sourceWidth = std::max(0.0, textWidth - timeWidth - separatorWidth - 2 * kMetaSpacing);
    const QString source = m_rows.index(index).data(QuickAccessListModel::DetailRole).toString();
    const qreal sourceShown = std::min(sourceWidth, qreal(PanelText::width(sourceFont, source)));
    painter.setPen(metaColor);
    PanelText::drawElided(painter, QRectF(textLeft, metaTop, sourceShown, metaHeight), sourceFont, source);
    qreal x = textLeft + sourceShown + kMetaSpacing;
    painter.setPen(selected ? PanelStyle::withOpacity(onBlue(), kOnBlueSeparator) : colors.muted);
    PanelText::drawFixed(painter, QRectF(x, metaTop, separatorWidth, metaHeight), metaFont, separator);
    x += separatorWidth + kMetaSpacing;
    painter.setPen(metaColor);
    PanelText::drawFixed(painter, QRectF(x, metaTop, timeWidth, metaHeight), metaFont, time);
}

void QuickAccessItemDelegate::paintSnippet(QPainter &painter, const QRect &rowRect, int row, bool selected) const
{
    const ClipboardSnippet &snippet = *m_rows.snippetAt(row);
    const PanelStyle::Colors &colors = PanelStyle::colors(qobject_cast<const QWidget *>(parent()));
    const QRectF body(rowRect.left(), rowRect.top(), rowRect.width(), kRowHeight);
    PanelStyle::fillRounded(painter, body, kRowRadius,
                            selected ? PanelStyle::withOpacity(colors.accent, kSnippetSelected) : colors.surface);
    const QRectF tile(body.left() + kLeadingPadding, body.center().y() - kArtworkSide / 2.0, kArtworkSide, kArtworkSide);
    PanelStyle::fillRounded(painter, tile, kArtworkRadius, colors.controlSurface);
    PanelIcons::paint(painter, tile, QStringLiteral("keyboard"), 12, selected ? colors.accent : colors.secondary);

    qreal trailing = body.right() - kLeadingPadding;
    if (!snippet.trigger.isEmpty()) {
        const QSize badge = ShortcutBadge::sizeFor(snippet.trigger);
        const QRectF rect(trailing - badge.width(), body.center().y() - badge.height() / 2.0, badge.width(), badge.height());
        ShortcutBadge::paint(painter, rect, snippet.trigger, colors);
        trailing = rect.left();
    } else if (selected) {
        trailing = paintReturnMark(painter, body, trailing, colors.accent);
    }
    const qreal left = tile.right() + kSpacing;
    const qreal width = std::max(0.0, trailing - kMinimumGap - left);
    const QFont textFont = PanelStyle::exactFont(kMetaSize);
    const QFont nameFont = PanelStyle::exactFont(kTitleSize, QFont::Medium);
    const TextLines lines(body, nameFont, textFont);
    painter.setPen(colors.primary);
    PanelText::drawElided(painter, QRectF(left, lines.top, width, lines.titleHeight), nameFont, snippet.name);
    painter.setPen(colors.muted);
    QString text = snippet.text.left(300);
    text.replace(u'\n', u' ');
    PanelText::drawElided(painter, QRectF(left, lines.secondTop, width, lines.secondHeight), textFont, text);
}
