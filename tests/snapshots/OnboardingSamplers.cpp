#include "snapshots/OnboardingSamplers.h"

#include "ui/onboarding/OnboardingView.h"

QWidget *onboardingSample(testsupport::SeededModel &seed, OnboardingStep step)
{
    ClipboardModel &model = seed.model();
    model.setAccessibilityPermissionEnabled(true);
    model.setScreenshotFolderPath(QStringLiteral("/home/zuzana/Obrázky/Snímky obrazovky/2026/marec/projekt s veľmi "
                                                 "dlhým názvom priečinka, ktorý sa nezmestí/ukážky"));
    model.setScreenshotCaptureIssue(
        QStringLiteral("Tarnel nemá prístup k tomuto priečinku. Vyber ho znova a skontroluj jeho oprávnenia."));
    model.setLaunchAtLoginIssue(QStringLiteral("Could not write ~/.config/autostart/tarnel.desktop: Permission denied"));
    auto *view = new OnboardingView(model.preferences(), ClipboardPresentationMode::MenuBar);
    view->setStep(step);
    return view;
}
