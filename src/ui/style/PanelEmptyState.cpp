#include "ui/style/PanelEmptyState.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QPainter>

namespace {
QFont titleFont() { return PanelStyle::font(12, QFont::DemiBold); }
QFont messageFont() { return PanelStyle::font(11); }
constexpr int kPreferredWidth = 320;
} // namespace

PanelEmptyState::PanelEmptyState(const QString &symbol, const QString &title, const QString &message, QWidget *parent)
    : QWidget(parent), m_symbol(symbol), m_title(title), m_message(message)
{
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void PanelEmptyState::setContent(const QString &symbol, const QString &title, const QString &message)
{
    m_symbol = symbol;
    m_title = title;
    m_message = message;
    updateGeometry();
    update();
}

int PanelEmptyState::heightForWidth(int width) const
{
    const qreal textWidth = std::max(width - 2 * kSidePadding, 1);
    const qreal message = PanelText::drawWrapped(nullptr, QRectF(0, 0, textWidth, 0), messageFont(), m_message,
                                                 Qt::AlignHCenter, kMessageLineSpacing);
    return kTileSide + kSpacing + PanelText::lineHeight(titleFont()) + kSpacing + int(message);
}

QSize PanelEmptyState::sizeHint() const { return QSize(kPreferredWidth, heightForWidth(kPreferredWidth)); }

void PanelEmptyState::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    const qreal textWidth = std::max(width() - 2 * kSidePadding, 1);
    const int total = heightForWidth(width());
    qreal y = std::max(0, (height() - total) / 2);

    const QRectF tile((width() - kTileSide) / 2.0, y, kTileSide, kTileSide);
    PanelStyle::fillRounded(painter, tile, kTileRadius, PanelStyle::withOpacity(colors.accent, 0.065));
    PanelIcons::paint(painter, tile, m_symbol, kSymbolPointSize, PanelStyle::withOpacity(colors.accent, 0.8));
    y += kTileSide + kSpacing;

    const QFont title = titleFont();
    painter.setPen(colors.primary);
    PanelText::drawElided(painter, QRectF(kSidePadding, y, textWidth, PanelText::lineHeight(title)), title, m_title,
                          Qt::AlignCenter);
    y += PanelText::lineHeight(title) + kSpacing;

    painter.setPen(colors.secondary);
    PanelText::drawWrapped(&painter, QRectF(kSidePadding, y, textWidth, height() - y), messageFont(), m_message,
                           Qt::AlignHCenter, kMessageLineSpacing);
}
