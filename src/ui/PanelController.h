#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardPresentationMode.h"

#include <QObject>
#include <QSizeF>

// What the views need of the panel's controller: the notch's published size and expansion,
// the presentation mode, and word that an editor window is open. The shell's controller
// implements it; views never see the shell.
class TarnelUpdater;

class PanelController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isContentExpanded READ isContentExpanded NOTIFY isContentExpandedChanged)
    Q_PROPERTY(bool isWidthExpanded READ isWidthExpanded NOTIFY isWidthExpandedChanged)
    Q_PROPERTY(bool isReadingScreenText READ isReadingScreenText NOTIFY isReadingScreenTextChanged)

public:
    using QObject::QObject;
    ~PanelController() override = default;

    virtual bool isContentExpanded() const = 0;
    // Whether the panel stands at the pointer (Quick Access) rather than under the notch.
    virtual bool isAtCursor() const = 0;
    // The size of the notch as drawn right now, width animated between its states.
    virtual QSizeF drawnNotchSize() const = 0;
    virtual ClipboardPresentationMode presentationMode() const = 0;
    virtual void setPresentationMode(ClipboardPresentationMode mode) = 0;
    // Whether the panel shows although the mode is the menu bar, for want of a tray host.
    virtual bool isPanelStandingInForTray() const = 0;
    // An open editor keeps the panel expanded while the pointer is away.
    virtual void setEditorOpen(bool isOpen) = 0;
    // So does an open actions menu.
    virtual void setActionMenuOpen(bool isOpen) { setEditorOpen(isOpen); }

    // The notch row: stretched to its full width, its collapsed width (which grows for the
    // copied and screenshot notices), and the preview height of a screenshot notice.
    virtual bool isWidthExpanded() const { return isContentExpanded(); }
    virtual qreal compactWidth() const { return 96; }
    virtual qreal screenshotPreviewHeight() const { return 160; }
    // Whether the notch itself shows a new screenshot's notice with its preview. In menu-bar
    // mode the toast alone shows it, and a notch standing in for a missing tray stays as it is.
    virtual bool showsScreenshotNoticeInNotch() const { return presentationMode() == ClipboardPresentationMode::Notch; }
    // A click on the notch row opens or closes the panel.
    virtual void toggleExpanded() {}
    // Reads text in a region of the screen that the user picks; true while that runs.
    virtual bool isReadingScreenText() const { return false; }
    virtual void readTextFromScreen() {}
    virtual void openSettingsWindow() {}
    // The image composer (or the text reader) for a screenshot entry.
    virtual void openScreenshotAction(const ClipboardEntry &entry, bool extractText)
    {
        Q_UNUSED(entry);
        Q_UNUSED(extractText);
    }
    // Ends the program, without asking.
    virtual void quitApplication();

    // The windows and explanations the settings open.
    virtual void showOnboarding() = 0;
    virtual void openAccessibilitySettings() = 0;
    virtual void requestInputMonitoringAccess() = 0;
    virtual void chooseScreenshotFolder() = 0;
    // The program's updater, for the settings' update check; none in tests.
    virtual TarnelUpdater *updater() const { return nullptr; }

Q_SIGNALS:
    void isContentExpandedChanged(bool expanded);
    void presentationModeChanged(ClipboardPresentationMode mode);
    void drawnNotchSizeChanged();
    void isWidthExpandedChanged(bool expanded);
    void isReadingScreenTextChanged(bool reading);
    // A tray host came or went (isPanelStandingInForTray may have changed with it).
    void trayAvailabilityChanged(bool available);
};
