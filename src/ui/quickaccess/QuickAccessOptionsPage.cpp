#include "ui/quickaccess/QuickAccessOptionsPage.h"

#include "core/ClipboardTransform.h"
#include "core/FormattedText.h"
#include "core/L10n.h"
#include "engine/QuickAccessChoices.h"
#include "ui/quickaccess/QuickAccessIconButton.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/tools/EntryImageLoader.h"

#include <QFutureWatcher>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {

constexpr int kBackSide = 26;
constexpr int kCloseSide = 24;
constexpr qreal kButtonRadius = 7;
constexpr qreal kHeadingRadius = 8;
constexpr qreal kHeadingSymbolSize = 13;
constexpr qreal kHeadingOpacity = 0.11;
constexpr int kTitleSpacing = 2;
constexpr qreal kTitleSize = 13;
constexpr qreal kPreviewTextSize = 9;
constexpr qreal kRowSymbolSize = 12;
constexpr int kRowSymbolColumn = 22;
constexpr qreal kRowTitleSize = 11;
constexpr qreal kReturnSize = 9;
constexpr qreal kSelectedOpacity = 0.13;
constexpr qreal kHintSize = 9;
constexpr qreal kPhotoSymbolSize = 19;

QString imageTitle(QuickImageAction action)
{
    switch (action) {
    case QuickImageAction::Preview:
        return QStringLiteral("Zobraziť náhľad");
    case QuickImageAction::Edit:
        return QStringLiteral("Upraviť obrázok");
    case QuickImageAction::SavePNG:
        return QStringLiteral("Uložiť ako PNG");
    case QuickImageAction::SaveJPG:
        return QStringLiteral("Uložiť ako JPG");
    }
    return {};
}

QString imageSymbol(QuickImageAction action)
{
    switch (action) {
    case QuickImageAction::Preview:
        return QStringLiteral("eye");
    case QuickImageAction::Edit:
        return QStringLiteral("slider.horizontal.3");
    case QuickImageAction::SavePNG:
        return QStringLiteral("photo.badge.arrow.down");
    case QuickImageAction::SaveJPG:
        return QStringLiteral("square.and.arrow.down");
    }
    return {};
}

} // namespace

QuickAccessOptionsPage::QuickAccessOptionsPage(QWidget *parent)
    : QWidget(parent)
{
    PaintedAccessibility::install();
    setMouseTracking(true);
    m_back = new QuickAccessIconButton(QStringLiteral("chevron.left"), {kBackSide, kButtonRadius, 10}, QString(), this);
    m_close = new QuickAccessIconButton(QStringLiteral("xmark"), {kCloseSide, kButtonRadius, 9}, QString(), this);
    connect(m_back, &QAbstractButton::clicked, this, &QuickAccessOptionsPage::backRequested);
    connect(m_close, &QAbstractButton::clicked, this, &QuickAccessOptionsPage::dismissRequested);
    retranslate();
}

void QuickAccessOptionsPage::retranslate()
{
    for (const auto &[button, slovak] : {std::pair<QWidget *, QString>{m_back, QStringLiteral("Späť na históriu")},
                                         std::pair<QWidget *, QString>{m_close, QStringLiteral("Zavrieť")}}) {
        button->setToolTip(L10n::text(slovak));
        button->setAccessibleName(button->toolTip());
    }
}

void QuickAccessOptionsPage::setSelectedRow(int index)
{
    if (index == m_selectedRow)
        return;
    m_selectedRow = index;
    update();
}

void QuickAccessOptionsPage::setEntry(const ClipboardEntry &entry)
{
    m_entry = entry;
    if (isImage() && m_previewID != entry.id) {
        // Decoded off the main thread; the photo symbol stands in until it is there.
        m_previewID = entry.id;
        m_preview = QImage();
        auto *watcher = new QFutureWatcher<QImage>(this);
        connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, id = entry.id] {
            if (id == m_previewID)
                m_preview = watcher->result();
            watcher->deleteLater();
            update();
        });
        watcher->setFuture(EntryImageLoader::loadAsync(entry));
    }
    update();
}

int QuickAccessOptionsPage::rowCount() const
{
    return isImage() ? int(QuickAccessChoices::imageOptions().size()) : int(QuickAccessChoices::textOptions().size());
}

QString QuickAccessOptionsPage::rowTitle(int index) const
{
    if (isImage())
        return L10n::text(imageTitle(QuickAccessChoices::imageOptions().at(std::size_t(index))));
    return ClipboardTransforms::title(QuickAccessChoices::textOptions().at(std::size_t(index)));
}

QString QuickAccessOptionsPage::rowSymbol(int index) const
{
    if (isImage())
        return imageSymbol(QuickAccessChoices::imageOptions().at(std::size_t(index)));
    return KindPresentation::transformSymbol(QuickAccessChoices::textOptions().at(std::size_t(index)));
}

QRectF QuickAccessOptionsPage::rowRect(int index) const
{
    qreal top = kPadding + kHeaderHeight + kSpacing;
    if (isImage())
        top += kPreviewHeight + kSpacing;
    return QRectF(kPadding, top + index * (kRowHeight + kRowSpacing), width() - 2 * kPadding, kRowHeight);
}

int QuickAccessOptionsPage::rowAt(const QPointF &point) const
{
    for (int i = 0; i < rowCount(); ++i)
        if (rowRect(i).contains(point))
            return i;
    return -1;
}

void QuickAccessOptionsPage::commit(int index)
{
    if (isImage()) {
        Q_EMIT imageActionChosen(QuickAccessChoices::imageOptions().at(std::size_t(index)), m_entry);
        return;
    }
    // The paste ends Quick Access; the options close with it.
    Q_EMIT pasteRequested(ClipboardTransforms::apply(QuickAccessChoices::textOptions().at(std::size_t(index)), m_entry.text));
}

QList<PaintedAccessibleItem> QuickAccessOptionsPage::accessibleItems() const
{
    QList<PaintedAccessibleItem> items;
    for (int i = 0; i < rowCount(); ++i) {
        PaintedAccessibleItem row;
        row.name = isImage() ? rowTitle(i) : FormattedText::substitute(L10n::text(QStringLiteral("Vložiť %@")), {rowTitle(i)});
        row.rect = rowRect(i).toAlignedRect();
        row.selectable = true;
        row.selected = i == m_selectedRow;
        items.append(row);
    }
    return items;
}

void QuickAccessOptionsPage::pressAccessibleItem(int item, int)
{
    if (item >= 0 && item < rowCount())
        commit(item);
}

void QuickAccessOptionsPage::mouseMoveEvent(QMouseEvent *event)
{
    const int row = rowAt(event->position());
    if (row >= 0 && row != m_selectedRow)
        Q_EMIT rowHovered(row);
}

void QuickAccessOptionsPage::mouseReleaseEvent(QMouseEvent *event)
{
    const int row = event->button() == Qt::LeftButton ? rowAt(event->position()) : -1;
    if (row >= 0)
        commit(row);
}

void QuickAccessOptionsPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_back->move(kPadding, kPadding + (kHeaderHeight - kBackSide) / 2);
    m_close->move(width() - kPadding - kCloseSide, kPadding + (kHeaderHeight - kCloseSide) / 2);
}

void QuickAccessOptionsPage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);

    // Header: heading tile, title over the entry's preview.
    const QRectF heading(kPadding + kBackSide + kSpacing, kPadding, kHeaderHeight, kHeaderHeight);
    PanelStyle::fillRounded(painter, heading, kHeadingRadius, PanelStyle::withOpacity(colors.accent, kHeadingOpacity));
    PanelIcons::paint(painter, heading, isImage() ? QStringLiteral("photo") : QStringLiteral("textformat"),
                      kHeadingSymbolSize, colors.accent);
    const QFont titleFont = PanelStyle::font(kTitleSize, QFont::DemiBold);
    const QFont previewFont = PanelStyle::exactFont(kPreviewTextSize);
    const qreal left = heading.right() + kSpacing;
    const qreal textWidth = width() - kPadding - kCloseSide - kSpacing - left;
    const qreal titleHeight = PanelText::lineHeight(titleFont);
    const qreal previewHeight = PanelText::lineHeight(previewFont);
    const qreal top = heading.center().y() - (titleHeight + kTitleSpacing + previewHeight) / 2;
    painter.setPen(colors.primary);
    PanelText::drawElided(painter, QRectF(left, top, textWidth, titleHeight), titleFont,
                          L10n::text(isImage() ? QStringLiteral("Akcie obrázka") : QStringLiteral("Špeciálne vloženie")));
    painter.setPen(colors.secondary);
    PanelText::drawElided(painter, QRectF(left, top + titleHeight + kTitleSpacing, textWidth, previewHeight), previewFont,
                          m_entry.preview().replace(u'\n', u' '));

    if (isImage()) {
        const QRectF preview(kPadding, kPadding + kHeaderHeight + kSpacing, width() - 2 * kPadding, kPreviewHeight);
        PanelStyle::fillRounded(painter, preview, kPreviewRadius, colors.surface);
        if (!m_preview.isNull()) {
            const QRectF room = preview.adjusted(kPreviewPadding, kPreviewPadding, -kPreviewPadding, -kPreviewPadding);
            const QSizeF fitted = QSizeF(m_preview.size()).scaled(room.size(), Qt::KeepAspectRatio);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(room.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted), m_preview);
        } else {
            PanelIcons::paint(painter, preview, QStringLiteral("photo"), kPhotoSymbolSize, colors.muted);
        }
    }

    const int selected = m_selectedRow;
    for (int i = 0; i < rowCount(); ++i) {
        const QRectF row = rowRect(i);
        const bool isSelected = i == selected;
        PanelStyle::fillRounded(painter, row, kRowRadius,
                                isSelected ? PanelStyle::withOpacity(colors.accent, kSelectedOpacity) : colors.surface);
        const QRectF symbol(row.left() + kRowPadding, row.top(), kRowSymbolColumn, row.height());
        PanelIcons::paint(painter, symbol, rowSymbol(i), kRowSymbolSize, isSelected ? colors.accent : colors.secondary);
        qreal right = row.right() - kRowPadding;
        if (isSelected) {
            const qreal side = PanelIcons::side(kReturnSize);
            PanelIcons::paint(painter, QRectF(right - side, row.top(), side, row.height()), QStringLiteral("return"),
                              kReturnSize, colors.accent);
            right -= side + kRowPadding;
        }
        painter.setPen(colors.primary);
        PanelText::drawElided(painter, QRectF(symbol.right() + kRowPadding, row.top(), right - symbol.right() - kRowPadding, row.height()),
                              PanelStyle::font(kRowTitleSize, isSelected ? QFont::DemiBold : QFont::Medium), rowTitle(i));
    }

    const QFont hintFont = PanelStyle::font(kHintSize);
    const qreal hintTop = rowRect(rowCount() - 1).bottom() + kSpacing;
    painter.setPen(colors.muted);
    PanelText::drawElided(painter, QRectF(kPadding, hintTop, width() - 2 * kPadding, PanelText::lineHeight(hintFont)), hintFont,
                          L10n::text(isImage() ? QStringLiteral("↑ ↓ vyberie · Return otvorí · ← späť")
                                               : QStringLiteral("↑ ↓ vyberie · Return vloží · ← späť")));
}
