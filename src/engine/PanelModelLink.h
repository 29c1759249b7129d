#pragma once

#include "core/AppLanguage.h"
#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"
#include "core/ClipboardPanelTab.h"
#include "core/ClipboardPresentationMode.h"
#include "platform/Workspace.h"

#include <QObject>
#include <QString>

#include <optional>

// What the panel controller reads and writes of the application model: the notices that
// shape the notch, the paste target recorded on hover, and the Quick Access flags that the
// menu-bar popup opens and closes. The controller is written against this face only, so the
// model and the controller can be exercised apart. Views that need more of the model than this
// are handed the whole model by the program's entry.
class PanelModelLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PanelModelLink() override = default;

    // Notices (the copied notice widens the collapsed notch; a screenshot notice replaces it).
    virtual std::optional<ClipboardEntry> screenshotNotice() const = 0;
    virtual bool copiedNoticeVisible() const = 0;
    // The copied notice tells that a copied image, or a copied text, could not be kept
    // (announced with copiedNoticeVisibleChanged).
    virtual bool imageNotKeptNotice() const { return false; }
    virtual bool textNotKeptNotice() const { return false; }
    // ... or that the copying program stopped or went away before its copy arrived.
    virtual bool copyNotKeptNotice() const { return false; }
    // ... or that a copy shortcut found nothing selected, and copied nothing.
    virtual bool nothingSelectedNotice() const { return false; }
    virtual void dismissScreenshotNotice() = 0;
    // Shows a screenshot's notice anew, for its whole time (one that waited for the screen).
    virtual void showScreenshotNotice(const ClipboardEntry &entry) = 0;
    virtual ClipboardAppearance appearance() const = 0;
    virtual int entryCount() const = 0;
    // The interface language: the locale of the panel's dates and numbers, and when its texts
    // are built anew.
    virtual AppLanguage language() const = 0;

    // The application in front when the panel expanded: target of the next paste (never Tarnel
    // itself) and the context name that ranks its copies first.
    virtual void setPasteTargetApplication(const std::optional<RunningApplication> &application) = 0;
    virtual std::optional<RunningApplication> pasteTargetApplication() const = 0;
    virtual void setCurrentContext(const QString &name) = 0;
    virtual void setPanelOverlayPresented(bool presented) = 0;

    // Quick Access.
    virtual bool isQuickAccessPresented() const = 0;
    virtual void setQuickAccessPresented(bool presented) = 0;
    virtual bool isPasteAsPresented() const = 0;
    virtual void setPasteAsPresented(bool presented) = 0;
    virtual void setQuickPasteOptionsPresented(bool presented) = 0;
    virtual ClipboardPanelTab selectedTab() const = 0;
    virtual void setSelectedTab(ClipboardPanelTab tab) = 0;
    virtual void beginQuickAccess(const std::optional<RunningApplication> &target) = 0;
    virtual void selectFirstQuickAccessEntry() = 0;
    virtual void requestQuickSearchFocus() = 0;
    // Height inputs of the Quick Access content.
    virtual bool hasShortcutNotice() const = 0;
    virtual bool isQuickPasteOptionsPresented() const = 0;
    virtual bool selectedEntryIsImage() const = 0;
    virtual int quickAccessItemCount() const = 0;

    // Screenshot folder chosen in the guide or the settings.
    virtual std::optional<QString> screenshotFolderPath() const = 0;
    virtual void setScreenshotFolder(const QString &path) = 0;

    // The presentation mode as saved in the settings (the guide starts from it).
    virtual ClipboardPresentationMode savedPresentationMode() const = 0;

    // Capture of the pasteboard and the screenshot folder from now on.
    virtual void startMonitoring() = 0;

    // Text read from the screen: into the history and onto the clipboard.
    virtual void copyScreenRecognition(const QString &text) = 0;

Q_SIGNALS:
    void screenshotNoticeChanged();
    void copiedNoticeVisibleChanged();
    void appearanceChanged();
    void languageChanged();
    void entriesChanged();
    void quickAccessChanged();
};
