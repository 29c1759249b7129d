#include "ui/onboarding/OnboardingSidebar.h"

#include "core/L10n.h"
#include "ui/onboarding/OnboardingSidebarRow.h"
#include "ui/panel/IconTile.h"
#include "ui/style/PanelStyle.h"
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
