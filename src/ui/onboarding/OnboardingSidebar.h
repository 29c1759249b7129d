#pragma once

#include "ui/onboarding/OnboardingStep.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

// The guide's left column: the mark, the name, the promise, one row per step and a closing
// line. A click on a row asks for its step, forward or back; nothing is ever locked.
class OnboardingSidebar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 215;
    static constexpr int kPadding = 22;
    static constexpr int kMarkSide = 56;
    static constexpr qreal kMarkRadius = 17;
    static constexpr qreal kMarkSymbolSize = 27;
    static constexpr qreal kMarkTintOpacity = 0.12;
    static constexpr int kMarkSpacing = 15;
    static constexpr qreal kNameSize = 21;
    static constexpr qreal kTaglineSize = 11;
    static constexpr int kTaglineAbove = 5;
    static constexpr int kTaglineBelow = 30;
    static constexpr qreal kFooterSize = 10;

    static constexpr int kRowHeight = 38;
    static constexpr int kRowPadding = 11;
    static constexpr int kRowSpacing = 11;
    static constexpr int kRowSymbolWidth = 19;
    static constexpr qreal kRowSymbolSize = 13;
    static constexpr qreal kRowTitleSize = 12;
    static constexpr qreal kRowRadius = 10;
    static constexpr qreal kRowTintOpacity = 0.11;
    static constexpr qreal kRowFocusOpacity = 0.5;

    OnboardingSidebar(OnboardingStep current, QWidget *parent = nullptr);

    QAbstractButton *row(OnboardingStep step) const;

Q_SIGNALS:
    void stepChosen(OnboardingStep step);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QAbstractButton *> m_rows;
};
