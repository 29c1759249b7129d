#pragma once

#include "support/SeededModel.h"
#include "ui/onboarding/OnboardingStep.h"

#include <QSize>

inline constexpr QSize kOnboardingWindowSize(760, 560);

// The guide on one step. The seed's model has neither permission, a screenshot folder with a
// long path and a capture problem, and the menu bar chosen in the guide (not yet applied), so
// that every line a page can show is drawn.
QWidget *onboardingSample(testsupport::SeededModel &seed, OnboardingStep step);
