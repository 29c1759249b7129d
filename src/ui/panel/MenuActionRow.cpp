#include "ui/panel/MenuActionRow.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QPainter>

namespace {

constexpr qreal kSymbolPointSize = 12;
constexpr qreal kCheckPointSize = 10;
constexpr qreal kChevronPointSize = 8;
constexpr qreal kTitleSize = 11;
constexpr qreal kDetailSize = 9;
constexpr qreal kDetailOpacity = 0.6;
constexpr qreal kChevronOpacity = 0.5;
constexpr int kPreferredWidth = 260;

QFont titleFont(bool prominent) { return PanelStyle::font(kTitleSize, prominent ? QFont::DemiBold : QFont::Medium); }

} // namespace

MenuActionRow::MenuActionRow(Content content, QWidget *parent) : QAbstractButton(parent), m_content(std::move(content))
{
    // Not Fixed: a fixed policy caps the height at the size hint, which is measured at some other width.
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(m_content.title);
}

int MenuActionRow::trailingWidth() const
{
    int width = 0;
    if (m_content.checked)
        width += int(PanelIcons::side(kCheckPointSize));
    if (m_content.disclosure)
        width += (width > 0 ? kSpacing : 0) + int(PanelIcons::side(kChevronPointSize));
    return width > 0 ? width + kSpacing : 0;
}

qreal MenuActionRow::titleWidth(int rowWidth) const
{
    return std::max(1, rowWidth - 2 * kSidePadding - kSymbolColumn - kSpacing - kMinimumGap - trailingWidth());
}

int MenuActionRow::heightForWidth(int width) const
{
    const int padding = m_content.detail ? kPaddingWithDetail : kPaddingWithoutDetail;
    qreal text = PanelText::drawWrapped(nullptr, QRectF(0, 0, titleWidth(width), 0), titleFont(m_content.prominent),
                                        m_content.title, Qt::AlignLeft, 0);
    if (m_content.detail)
        text += kTitleDetailSpacing + PanelText::lineHeight(PanelStyle::monospaceFont(kDetailSize));
    const qreal content = std::max(text, PanelIcons::side(kSymbolPointSize));
    return int(std::ceil(content)) + 2 * padding;
}

QSize MenuActionRow::sizeHint() const { return QSize(kPreferredWidth, heightForWidth(kPreferredWidth)); }

QSize MenuActionRow::minimumSizeHint() const
{
    return QSize(2 * kSidePadding + kSymbolColumn + kSpacing + kMinimumGap + trailingWidth(), heightForWidth(kPreferredWidth));
}

void MenuActionRow::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_hovered = true;
    PanelMotion::animate(this, "hover", m_hover, 1.0, kHoverDuration, PanelMotion::easeOut(), [this](const QVariant &v) {
        m_hover = v.toReal();
        update();
    });
}

void MenuActionRow::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_hovered = false;
    PanelMotion::animate(this, "hover", m_hover, 0.0, kHoverDuration, PanelMotion::easeOut(), [this](const QVariant &v) {
        m_hover = v.toReal();
        update();
    });
}

void MenuActionRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PanelStyle::Colors &c = PanelStyle::colors(this);
    if (!isEnabled())
        painter.setOpacity(kDisabledOpacity);

    // Pressed wins; otherwise the fill eases between rest (clear, or faint for the main action)
    // and hovered.
    const QColor rest = m_content.prominent ? PanelStyle::withOpacity(c.accent, 0.055) : QColor(Qt::transparent);
    const QColor fill = isDown() ? PanelStyle::withOpacity(c.accent, 0.18)
                                 : PanelStyle::mix(rest, PanelStyle::withOpacity(c.accent, 0.1), m_hover);
    PanelStyle::fillRounded(painter, rect(), kCornerRadius, fill);
    const QColor foreground = m_content.prominent ? c.accent : PanelStyle::mix(PanelStyle::withOpacity(c.primary, 0.88), c.accent, m_hover);

    const int padding = m_content.detail ? kPaddingWithDetail : kPaddingWithoutDetail;
    const QRectF content = QRectF(rect()).adjusted(kSidePadding, padding, -kSidePadding, -padding);
    PanelIcons::paint(painter, QRectF(content.left(), content.top(), kSymbolColumn, content.height()), m_content.symbol,
                      kSymbolPointSize, foreground);

    const qreal textLeft = content.left() + kSymbolColumn + kSpacing;
    const qreal textWidth = titleWidth(width());
    const QFont title = titleFont(m_content.prominent);
    const qreal titleHeight = PanelText::drawWrapped(nullptr, QRectF(0, 0, textWidth, 0), title, m_content.title, Qt::AlignLeft, 0);
    const qreal detailHeight = m_content.detail ? kTitleDetailSpacing + PanelText::lineHeight(PanelStyle::monospaceFont(kDetailSize)) : 0;
    qreal y = content.center().y() - (titleHeight + detailHeight) / 2;
    painter.setPen(foreground);
    painter.setFont(title);
    PanelText::drawWrapped(&painter, QRectF(textLeft, y, textWidth, titleHeight), title, m_content.title, Qt::AlignLeft, 0);
    if (m_content.detail) {
        y += titleHeight + kTitleDetailSpacing;
        painter.save();
        painter.setOpacity(painter.opacity() * kDetailOpacity);
        PanelText::drawElided(painter, QRectF(textLeft, y, textWidth, detailHeight - kTitleDetailSpacing),
                              PanelStyle::monospaceFont(kDetailSize), *m_content.detail);
        painter.restore();
    }

    qreal x = content.right();
    if (m_content.disclosure) {
        const qreal side = PanelIcons::side(kChevronPointSize);
        painter.save();
        painter.setOpacity(painter.opacity() * kChevronOpacity);
        PanelIcons::paint(painter, QRectF(x - side, content.top(), side, content.height()), QStringLiteral("chevron.right"),
                          kChevronPointSize, foreground);
        painter.restore();
        x -= side + kSpacing;
    }
    if (m_content.checked) {
        const qreal side = PanelIcons::side(kCheckPointSize);
        PanelIcons::paint(painter, QRectF(x - side, content.top(), side, content.height()), QStringLiteral("checkmark"),
                          kCheckPointSize, foreground);
    }
}
