#pragma once

// A controller for views tested without the shell: the presentation mode and the tray are
// plain values, and the windows a view asks for are counted.

#include "ui/PanelController.h"

#include <QStringList>

namespace testsupport {

class FakePanelController : public PanelController {
public:
    using PanelController::PanelController;

    bool isContentExpanded() const override { return contentExpanded; }
    bool isWidthExpanded() const override { return widthExpanded; }
    qreal compactWidth() const override { return compact; }
    bool isReadingScreenText() const override { return readingScreenText; }
    void toggleExpanded() override { requests << QStringLiteral("toggle"); }
    void readTextFromScreen() override { requests << QStringLiteral("readText"); }
    void openSettingsWindow() override { requests << QStringLiteral("settings"); }
    void quitApplication() override { requests << QStringLiteral("quit"); }
    void openScreenshotAction(const ClipboardEntry &entry, bool extractText) override
    {
        requests << (extractText ? QStringLiteral("screenshotText ") : QStringLiteral("screenshotEdit ")) + entry.id;
    }
    void setActionMenuOpen(bool isOpen) override { menuOpen = isOpen; }
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
    void setEditorOpen(bool isOpen) override { editorOpen = isOpen; }
    void showOnboarding() override { requests << QStringLiteral("onboarding"); }
    void openAccessibilitySettings() override { requests << QStringLiteral("keySending"); }
    void requestInputMonitoringAccess() override { requests << QStringLiteral("keyWatch"); }
    void chooseScreenshotFolder() override { requests << QStringLiteral("folder"); }

    ClipboardPresentationMode mode = ClipboardPresentationMode::Notch;
    bool standingInForTray = false;
    bool contentExpanded = true;
    bool widthExpanded = true;
    bool readingScreenText = false;
    qreal compact = 96;
    bool editorOpen = false;
    bool menuOpen = false;
    QStringList requests;
};

} // namespace testsupport
