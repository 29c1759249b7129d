#include "ui/onboarding/OnboardingSidebarRow.h"

#include "core/L10n.h"
#include "ui/onboarding/OnboardingSidebar.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QPainter>

OnboardingSidebarRow::OnboardingSidebarRow(OnboardingStep step, OnboardingStep current, QWidget *parent)
    : QAbstractButton(parent), m_step(step), m_current(current), m_title(L10n::text(OnboardingSteps::title(step)))
{
    setObjectName(QStringLiteral("sidebar-") + OnboardingSteps::name(step));
    setAccessibleName(m_title);
    setCheckable(true);
    setChecked(isCurrent());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString OnboardingSidebarRow::shownSymbol() const
{
    return isPassed() ? QStringLiteral("checkmark.circle.fill") : OnboardingSteps::symbol(m_step);
}

QSize OnboardingSidebarRow::sizeHint() const
{
    const QFont font = PanelStyle::font(OnboardingSidebar::kRowTitleSize, QFont::DemiBold);
    return {OnboardingSidebar::kRowPadding * 2 + OnboardingSidebar::kRowSymbolWidth + OnboardingSidebar::kRowSpacing
                + PanelText::width(font, m_title),
            OnboardingSidebar::kRowHeight};
}

void OnboardingSidebarRow::paintEvent(QPaintEvent *)
{
    using S = OnboardingSidebar;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    if (isCurrent())
        PanelStyle::fillRounded(painter, rect(), S::kRowRadius, PanelStyle::withOpacity(colors.accent, S::kRowTintOpacity));
    const QColor ink = isCurrent() ? colors.accent : colors.secondary;
    const QRectF symbolBox(S::kRowPadding, 0, S::kRowSymbolWidth, height());
    PanelIcons::paint(painter, symbolBox, shownSymbol(), S::kRowSymbolSize, ink);
    if (hasFocus())
        PanelStyle::strokeRounded(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), S::kRowRadius,
                                  PanelStyle::withOpacity(colors.accent, S::kRowFocusOpacity), 1);
    const QFont font = PanelStyle::font(S::kRowTitleSize, isCurrent() ? QFont::DemiBold : QFont::Medium);
    painter.setPen(ink);
    const qreal left = symbolBox.right() + S::kRowSpacing;
    PanelText::drawElided(painter, QRectF(left, 0, width() - left - S::kRowPadding, height()), font, m_title);
}
