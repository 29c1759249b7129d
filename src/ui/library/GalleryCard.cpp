#include "ui/library/GalleryCard.h"

#include "core/L10n.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/style/PanelClock.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

QFont infoFont() { return PanelStyle::font(GalleryCard::kInfoSize); }

const QString kDot = QStringLiteral("·");

} // namespace

GalleryCard::GalleryCard(const ClipboardEntry &entry, QWidget *parent) : QWidget(parent), m_entry(entry)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const auto add = [this](Action action, const QString &symbol, const QString &text, bool destructive) {
        auto *button = new EntryOverflowButton(symbol, this);
        button->setDestructive(destructive);
        button->setToolTip(text);
        button->setAccessibleName(text);
        connect(button, &EntryOverflowButton::clicked, this, [this, action] { Q_EMIT triggered(m_entry.id, action); });
        m_buttons.append({action, button});
    };
    add(Action::Pin, entry.isPinned ? QStringLiteral("pin.fill") : QStringLiteral("pin"),
        L10n::text(entry.isPinned ? QStringLiteral("Odopnúť obrázok") : QStringLiteral("Pripnúť obrázok")), false);
    button(Action::Pin)->setOpen(entry.isPinned);
    add(Action::ReadText, QStringLiteral("text.viewfinder"), L10n::text(QStringLiteral("Získať text")), false);
    add(Action::Preview, QStringLiteral("eye"), L10n::text(QStringLiteral("Zobraziť náhľad")), false);
    add(Action::Delete, QStringLiteral("trash"), L10n::text(QStringLiteral("Vymazať obrázok")), true);
    add(Action::AllActions, QStringLiteral("ellipsis"), L10n::text(QStringLiteral("Akcie obrázka")), false);
    setToolTip(L10n::text(QStringLiteral("Vložiť obrázok")));
    const QString source = entry.sourceApp.isEmpty() ? L10n::text(QStringLiteral("neznámej aplikácie")) : entry.sourceApp;
    setAccessibleName(L10n::text(QStringLiteral("Vložiť obrázok skopírovaný z %@")).replace(QStringLiteral("%@"), source));
}

qreal GalleryCard::ratio(const QSize &imageSize)
{
    if (imageSize.width() <= 0 || imageSize.height() <= 0)
        return 1.0;
    return std::clamp(qreal(imageSize.width()) / imageSize.height(), kMinimumRatio, kMaximumRatio);
}

EntryOverflowButton *GalleryCard::button(Action action) const
{
    for (const auto &[kind, button] : m_buttons) {
        if (kind == action)
            return button;
    }
    return nullptr;
}

void GalleryCard::setPicture(const QImage &image, const QSize &fullSize)
{
    m_image = image;
    m_fullSize = fullSize;
    updateGeometry();
    update();
}

void GalleryCard::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void GalleryCard::setActionsOpen(bool open) { button(Action::AllActions)->setOpen(open); }

qreal GalleryCard::pictureHeight(int width) const
{
    return m_image.isNull() ? kPlaceholderHeight : width / ratio(m_fullSize);
}

int GalleryCard::infoHeight() const { return kInfoTopPadding + PanelText::lineHeight(infoFont()); }

int GalleryCard::heightForWidth(int width) const
{
    return int(std::ceil(pictureHeight(width))) + infoHeight() + kActionTopPadding + EntryOverflowButton::kSide +
           kActionBottomPadding;
}

QSize GalleryCard::sizeHint() const
{
    constexpr int kDefaultWidth = 200;
    return QSize(kDefaultWidth, heightForWidth(kDefaultWidth));
}

void GalleryCard::resizeEvent(QResizeEvent *)
{
    const int y = int(std::ceil(pictureHeight(width()))) + infoHeight() + kActionTopPadding;
    int x = kActionSidePadding;
    for (const auto &[action, button] : m_buttons) {
        if (action == Action::AllActions) {
            button->setGeometry(width() - kActionSidePadding - EntryOverflowButton::kSide, y, EntryOverflowButton::kSide,
                                EntryOverflowButton::kSide);
            continue;
        }
        button->setGeometry(x, y, EntryOverflowButton::kSide, EntryOverflowButton::kSide);
        x += EntryOverflowButton::kSide + kActionSpacing;
    }
}

void GalleryCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const PanelStyle::Colors &c = PanelStyle::colors(this);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    painter.save();
    painter.setClipPath(shape);
    painter.fillRect(rect(), c.surface);
    const QRectF box(0, 0, width(), pictureHeight(width()));
    painter.fillRect(box, c.controlSurface);
    if (m_image.isNull()) {
        PanelIcons::paint(painter, box, QStringLiteral("photo"), kPlaceholderSymbolSize, c.muted);
    } else {
        const QSizeF fitted = QSizeF(m_image.size()).scaled(box.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(box.center() - QPointF(fitted.width(), fitted.height()) / 2, fitted), m_image);
    }
    painter.restore();

    // Info line: source · time; only the source gives way.
    const QFont font = infoFont();
    const QString time = m_entry.copiedAtLabel(PanelClock::now());
    const qreal top = box.bottom() + kInfoTopPadding;
    const qreal lineHeight = PanelText::lineHeight(font);
    const qreal room = width() - 2 * kInfoSidePadding;
    const qreal timeWidth = PanelText::width(font, time);
    const qreal dotWidth = PanelText::width(font, kDot);
    const QString source = m_entry.sourceAppLabel();
    const qreal sourceWidth =
        std::clamp<qreal>(room - timeWidth - dotWidth - 2 * kInfoSpacing, 0, PanelText::width(font, source));
    qreal x = kInfoSidePadding;
    painter.setPen(c.secondary);
    PanelText::drawElided(painter, QRectF(x, top, sourceWidth, lineHeight), font, source);
    x += sourceWidth + kInfoSpacing;
    painter.setPen(c.muted);
    PanelText::drawFixed(painter, QRectF(x, top, dotWidth, lineHeight), font, kDot);
    x += dotWidth + kInfoSpacing;
    painter.setPen(c.secondary);
    PanelText::drawFixed(painter, QRectF(x, top, timeWidth, lineHeight), font, time);

    const QColor border = m_selected ? PanelStyle::withOpacity(c.accent, kSelectedBorderOpacity)
                                     : PanelStyle::withOpacity(c.border, kBorderOpacity);
    painter.setPen(QPen(border, kBorderWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = kBorderWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), kCornerRadius - inset,
                            kCornerRadius - inset);
}

void GalleryCard::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && event->position().y() < pictureHeight(width()))
        Q_EMIT triggered(m_entry.id, Action::Paste);
}

void GalleryCard::enterEvent(QEnterEvent *) { Q_EMIT hovered(m_entry.id); }
