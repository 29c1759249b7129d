#include "ui/onboarding/OnboardingStep.h"

namespace {

struct StepRow {
    OnboardingStep step;
    const char *name;
    const char *title;
    const char *symbol;
    int pageSpacing;
};

constexpr std::array<StepRow, OnboardingSteps::kCount> kRows{{
    {OnboardingStep::Welcome, "welcome", "Úvod", "sparkles", 18},
    {OnboardingStep::Permissions, "permissions", "Povolenia", "lock.shield", 16},
    {OnboardingStep::Screenshots, "screenshots", "Snímky obrazovky", "camera.viewfinder", 16},
    {OnboardingStep::Preferences, "preferences", "Prispôsobenie", "slider.horizontal.3", 15},
    {OnboardingStep::Ready, "ready", "Hotovo", "checkmark", 17},
}};

const StepRow &row(OnboardingStep step)
{
    return kRows[std::size_t(OnboardingSteps::rawValue(step))];
}

} // namespace

namespace OnboardingSteps {

std::optional<OnboardingStep> fromRawValue(int raw)
{
    if (raw < 0 || raw >= kCount)
        return std::nullopt;
    return kRows[std::size_t(raw)].step;
}

QString title(OnboardingStep step)
{
    return QString::fromUtf8(row(step).title);
}

QString symbol(OnboardingStep step)
{
    return QString::fromLatin1(row(step).symbol);
}

int pageSpacing(OnboardingStep step)
{
    return row(step).pageSpacing;
}

QString name(OnboardingStep step)
{
    return QString::fromLatin1(row(step).name);
}

} // namespace OnboardingSteps
