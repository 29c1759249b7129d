#pragma once

#include <QString>

#include <array>
#include <optional>

// The five steps of the first-run guide, in the order the guide walks them. The raw value is
// the step's place: the counter shows it plus one, and the progress bar fills that many fifths.
enum class OnboardingStep { Welcome = 0, Permissions = 1, Screenshots = 2, Preferences = 3, Ready = 4 };

namespace OnboardingSteps {

inline constexpr int kCount = 5;

inline constexpr std::array<OnboardingStep, kCount> all{OnboardingStep::Welcome, OnboardingStep::Permissions,
                                                        OnboardingStep::Screenshots, OnboardingStep::Preferences,
                                                        OnboardingStep::Ready};

inline constexpr int rawValue(OnboardingStep step) { return static_cast<int>(step); }
// No step for a raw value outside 0 to 4.
std::optional<OnboardingStep> fromRawValue(int raw);

// The Slovak base title of the sidebar row (callers translate it).
QString title(OnboardingStep step);
QString symbol(OnboardingStep step);
// Space between the blocks of the step's page.
int pageSpacing(OnboardingStep step);
// A name for widgets and tests: "welcome", "permissions", ...
QString name(OnboardingStep step);

} // namespace OnboardingSteps
