#include "ui/onboarding/OnboardingSidebar.h"

#include "core/L10n.h"
#include "ui/panel/IconTile.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/tools/ToolText.h"

#include <QPainter>
#include <QVBoxLayout>

OnboardingSidebar::OnboardingSidebar(OnboardingStep current, QWidget *parent)
    : QWidget(parent)
{
    setFixedWidth(kWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(0);
    layout->addWidget(new IconTile(QStringLiteral("square.stack.3d.up.fill"), kMarkSymbolSize, kMarkSide, kMarkRadius,
                                   kMarkTintOpacity, this));
    layout->addSpacing(kMarkSpacing);
    // The program's name is a name in every language.
    layout->addWidget(new ToolText(QStringLiteral("Tarnel"), kNameSize, QFont::Bold, ToolText::Role::Primary, this));
    layout->addSpacing(kTaglineAbove);
    auto *tagline = new ToolText(L10n::text(QStringLiteral("Tvoja schránka, pripravená na všetko.")), kTaglineSize,
                                 QFont::Normal, ToolText::Role::Secondary, this);
    tagline->setWordWrap(true);
    layout->addWidget(tagline);
    layout->addSpacing(kTaglineBelow);
    for (OnboardingStep step : OnboardingSteps::all) {
        auto *row = new OnboardingSidebarRow(step, current, this);
        connect(row, &QAbstractButton::clicked, this, [this, step] { Q_EMIT stepChosen(step); });
        layout->addWidget(row);
        m_rows.append(row);
    }
    layout->addStretch(1);
    auto *footer = new ToolText(L10n::text(QStringLiteral("Všetko zostáva na tvojom počítači.")), kFooterSize,
                                QFont::Normal, ToolText::Role::Muted, this);
    footer->setWordWrap(true);
    layout->addWidget(footer);
}

QAbstractButton *OnboardingSidebar::row(OnboardingStep step) const
{
    return m_rows.value(OnboardingSteps::rawValue(step));
}

void OnboardingSidebar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), PanelStyle::colors(this).navigationSurface);
}

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
                                  PanelStyle::withOpacity(colors.accent, 0.5), 1);
    const QFont font = PanelStyle::font(S::kRowTitleSize, isCurrent() ? QFont::DemiBold : QFont::Medium);
    painter.setPen(ink);
    const qreal left = symbolBox.right() + S::kRowSpacing;
    PanelText::drawElided(painter, QRectF(left, 0, width() - left - S::kRowPadding, height()), font, m_title);
}
