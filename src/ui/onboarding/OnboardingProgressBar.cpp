#include "ui/onboarding/OnboardingProgressBar.h"

#include "ui/style/PanelStyle.h"

#include <QPainter>

OnboardingProgressBar::OnboardingProgressBar(OnboardingStep step, QWidget *parent)
    : QWidget(parent), m_step(step)
{
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

qreal OnboardingProgressBar::fraction() const
{
    return qreal(OnboardingSteps::rawValue(m_step) + 1) / OnboardingSteps::kCount;
}

void OnboardingProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    const QRectF track(rect());
    PanelStyle::fillRounded(painter, track, track.height() / 2, colors.controlSurface);
    PanelStyle::fillRounded(painter, QRectF(0, 0, filledWidth(), track.height()), track.height() / 2, colors.accent);
}
