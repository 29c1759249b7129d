#include "ui/quickaccess/QuickAccessPermissionNotice.h"

#include "core/L10n.h"
#include "ui/quickaccess/QuickAccessIconButton.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QPainter>

namespace {

constexpr qreal kTileSymbolSize = 18;
constexpr qreal kTileOpacity = 0.11;
constexpr qreal kTitleSize = 13;
constexpr qreal kMessageSize = 10;
constexpr qreal kMessageLineSpacing = 2;
constexpr qreal kFootnoteSize = 9;
constexpr int kButtonPadding = 12;
constexpr qreal kArrowSize = 9;

QFont titleFont() { return PanelStyle::font(kTitleSize, QFont::DemiBold); }
QFont messageFont() { return PanelStyle::font(kMessageSize); }
QFont footnoteFont() { return PanelStyle::font(kFootnoteSize); }

} // namespace

QuickAccessPermissionNotice::QuickAccessPermissionNotice(QWidget *parent)
    : QWidget(parent)
{
    m_settings = new PanelButton(QString(), true, kButtonHeight, kButtonPadding, this);
    m_settings->setSymbol(QStringLiteral("gearshape"));
    m_settings->setTrailingSymbol(QStringLiteral("arrow.up.right"), kArrowSize);
    connect(m_settings, &QAbstractButton::clicked, this,
            [this] { Q_EMIT settingsRequested(m_accessibilityTrusted); });
    auto *close = new QuickAccessIconButton(QStringLiteral("xmark"), {kCloseSide, kCloseSide / 2.0, 9}, QString(), this);
    connect(close, &QAbstractButton::clicked, this, &QuickAccessPermissionNotice::dismissRequested);
    m_close = close;
    retranslate();
}

void QuickAccessPermissionNotice::retranslate()
{
    m_close->setToolTip(L10n::text(QStringLiteral("Zavrieť")));
    m_close->setAccessibleName(m_close->toolTip());
    refreshCaption();
}

void QuickAccessPermissionNotice::setAccessibilityTrusted(bool trusted)
{
    m_accessibilityTrusted = trusted;
    refreshCaption();
}

void QuickAccessPermissionNotice::setNotice(const QString &notice, const QString &sessionLimits)
{
    m_notice = L10n::text(notice);
    if (!sessionLimits.isEmpty())
        m_notice += QLatin1Char(' ') + L10n::text(sessionLimits);
    refreshCaption();
    resizeEvent(nullptr);
    update();
}

void QuickAccessPermissionNotice::refreshCaption()
{
    const QString setting = L10n::text(m_accessibilityTrusted ? QStringLiteral("Monitorovanie vstupu")
                                                                                : QStringLiteral("Prístupnosť"));
    const QString caption = L10n::text(QStringLiteral("Otvoriť %@")).replace(QStringLiteral("%@"), setting);
    m_settings->setTitle(caption);
    m_settings->setAccessibleName(caption);
}

qreal QuickAccessPermissionNotice::contentHeight() const
{
    const qreal message = PanelText::drawWrapped(nullptr, QRectF(0, 0, std::min<qreal>(kMessageWidth, width() - 2 * kHorizontalPadding), 1e6),
                                                 messageFont(), m_notice, Qt::AlignHCenter, kMessageLineSpacing);
    return kTileSide + kSpacing + PanelText::lineHeight(titleFont()) + kTextSpacing + message + kSpacing + kButtonHeight
           + kSpacing + PanelText::lineHeight(footnoteFont());
}

void QuickAccessPermissionNotice::resizeEvent(QResizeEvent *)
{
    m_close->move(width() - kClosePadding - kCloseSide, kClosePadding);
    const qreal top = (height() - contentHeight()) / 2;
    const int buttonWidth = std::min(kButtonWidth, width() - 2 * kHorizontalPadding);
    const qreal buttonTop = top + contentHeight() - PanelText::lineHeight(footnoteFont()) - kSpacing - kButtonHeight;
    m_settings->setFixedWidth(buttonWidth);
    m_settings->move((width() - buttonWidth) / 2, int(buttonTop));
}

void QuickAccessPermissionNotice::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    qreal y = (height() - contentHeight()) / 2;
    const QRectF tile((width() - kTileSide) / 2.0, y, kTileSide, kTileSide);
    PanelStyle::fillRounded(painter, tile, kTileRadius, PanelStyle::withOpacity(colors.accent, kTileOpacity));
    PanelIcons::paint(painter, tile, QStringLiteral("lock.open.fill"), kTileSymbolSize, colors.accent);
    y += kTileSide + kSpacing;
    painter.setPen(colors.primary);
    PanelText::drawElided(painter, QRectF(kHorizontalPadding, y, width() - 2 * kHorizontalPadding, PanelText::lineHeight(titleFont())),
                          titleFont(), L10n::text(QStringLiteral("Tarnel potrebuje prístup")), Qt::AlignCenter);
    y += PanelText::lineHeight(titleFont()) + kTextSpacing;
    const qreal messageWidth = std::min<qreal>(kMessageWidth, width() - 2 * kHorizontalPadding);
    painter.setPen(colors.secondary);
    y += PanelText::drawWrapped(&painter, QRectF((width() - messageWidth) / 2, y, messageWidth, 1e6), messageFont(), m_notice,
                                Qt::AlignHCenter, kMessageLineSpacing);
    y += kSpacing + kButtonHeight + kSpacing;
    painter.setPen(colors.muted);
    PanelText::drawElided(painter, QRectF(kHorizontalPadding, y, width() - 2 * kHorizontalPadding, PanelText::lineHeight(footnoteFont())),
                          footnoteFont(), L10n::text(QStringLiteral("Po zapnutí sa môžeš vrátiť sem.")), Qt::AlignCenter);
}
