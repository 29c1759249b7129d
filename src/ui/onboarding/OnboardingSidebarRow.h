#pragma once

#include "ui/onboarding/OnboardingStep.h"

#include <QAbstractButton>

// One step of the sidebar: the current step in the accent colour on a faint accent, a passed
// one with a check mark instead of its own symbol.
class OnboardingSidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    OnboardingSidebarRow(OnboardingStep step, OnboardingStep current, QWidget *parent = nullptr);

    bool isCurrent() const { return m_step == m_current; }
    bool isPassed() const { return OnboardingSteps::rawValue(m_step) < OnboardingSteps::rawValue(m_current); }
    // The symbol drawn: a passed step's check mark, else the step's own.
    QString shownSymbol() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    OnboardingStep m_step;
    OnboardingStep m_current;
    QString m_title;
};
