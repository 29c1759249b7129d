#pragma once

// A controller for views tested without the shell: the presentation mode and the tray are
// plain values, and the windows a view asks for are counted.

#include "ui/PanelController.h"

#include <QStringList>

namespace testsupport {

class FakePanelController : public PanelController {
public:
    using PanelController::PanelController;

    bool isContentExpanded() const override { return true; }
    bool isAtCursor() const override { return false; }
    QSizeF drawnNotchSize() const override { return {}; }
    ClipboardPresentationMode presentationMode() const override { return mode; }
    void setPresentationMode(ClipboardPresentationMode value) override
    {
        requests << QStringLiteral("mode:") + rawValue(value);
        mode = value;
        Q_EMIT presentationModeChanged(value);
    }
    bool isPanelStandingInForTray() const override { return standingInForTray; }
    void setEditorOpen(bool) override {}
    void showOnboarding() override { requests << QStringLiteral("onboarding"); }
    void openAccessibilitySettings() override { requests << QStringLiteral("keySending"); }
    void requestInputMonitoringAccess() override { requests << QStringLiteral("keyWatch"); }
    void chooseScreenshotFolder() override { requests << QStringLiteral("folder"); }

    ClipboardPresentationMode mode = ClipboardPresentationMode::Notch;
    bool standingInForTray = false;
    QStringList requests;
};

} // namespace testsupport
