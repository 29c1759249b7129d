#pragma once

#include "ui/onboarding/OnboardingStep.h"

#include <QWidget>

// The step's share of the way, a fifth per step: a thin capsule over the full width.
class OnboardingProgressBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 4;

    explicit OnboardingProgressBar(OnboardingStep step, QWidget *parent = nullptr);

    qreal fraction() const;
    // Width of the filled part at the bar's present width.
    qreal filledWidth() const { return width() * fraction(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    OnboardingStep m_step;
};
