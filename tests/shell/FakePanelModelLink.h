#pragma once

#include "engine/PanelModelLink.h"

// The application model as the panel controller sees it, held in plain fields that tests set
// and read; setters announce their changes as the model does.
class FakePanelModelLink : public PanelModelLink {
public:
    std::optional<ClipboardEntry> screenshotNotice() const override { return notice; }
    bool copiedNoticeVisible() const override { return copiedNotice; }
    void dismissScreenshotNotice() override
    {
        ++dismissals;
        setNotice(std::nullopt);
    }
    void showScreenshotNotice(const ClipboardEntry &entry) override { setNotice(entry); }
    ClipboardAppearance appearance() const override { return ClipboardAppearance::Dark; }
    int entryCount() const override { return entries; }
    AppLanguage language() const override { return lang; }

    void setPasteTargetApplication(const std::optional<RunningApplication> &application) override { target = application; }
    std::optional<RunningApplication> pasteTargetApplication() const override { return target; }
    void setCurrentContext(const QString &name) override { context = name; }
    void setPanelOverlayPresented(bool presented) override { overlay = presented; }

    bool isQuickAccessPresented() const override { return quickAccess; }
    void setQuickAccessPresented(bool presented) override { quickAccess = presented; Q_EMIT quickAccessChanged(); }
    bool isPasteAsPresented() const override { return pasteAs; }
    void setPasteAsPresented(bool presented) override { pasteAs = presented; }
    void setQuickPasteOptionsPresented(bool presented) override { options = presented; }
    ClipboardPanelTab selectedTab() const override { return tab; }
    void setSelectedTab(ClipboardPanelTab value) override { tab = value; }
    void beginQuickAccess(const std::optional<RunningApplication> &application) override
    {
        target = application;
        context = application ? application->name : QString();
        quickAccess = true;
        Q_EMIT quickAccessChanged();
    }
    void selectFirstQuickAccessEntry() override { ++firstSelections; }
    void requestQuickSearchFocus() override { ++searchFocusRequests; }
    bool hasShortcutNotice() const override { return shortcutNotice; }
    bool isQuickPasteOptionsPresented() const override { return options; }
    bool selectedEntryIsImage() const override { return selectedImage; }
    int quickAccessItemCount() const override { return items; }

    std::optional<QString> screenshotFolderPath() const override { return folder; }
    void setScreenshotFolder(const QString &path) override { folder = path; }
    ClipboardPresentationMode savedPresentationMode() const override { return savedMode; }
    void startMonitoring() override { ++monitoringStarts; }
    void copyScreenRecognition(const QString &text) override { recognized.append(text); }

    void setNotice(std::optional<ClipboardEntry> entry)
    {
        notice = std::move(entry);
        Q_EMIT screenshotNoticeChanged();
    }
    void setLanguage(AppLanguage value)
    {
        lang = value;
        Q_EMIT languageChanged();
    }
    void setCopiedNotice(bool visible)
    {
        copiedNotice = visible;
        Q_EMIT copiedNoticeVisibleChanged();
    }

    std::optional<ClipboardEntry> notice;
    bool copiedNotice = false;
    int dismissals = 0;
    int entries = 0;
    std::optional<RunningApplication> target;
    QString context;
    bool overlay = false;
    bool quickAccess = false;
    bool pasteAs = false;
    bool options = false;
    ClipboardPanelTab tab = ClipboardPanelTab::Clipboard;
    int firstSelections = 0;
    int searchFocusRequests = 0;
    bool shortcutNotice = false;
    bool selectedImage = false;
    int items = 0;
    std::optional<QString> folder;
    ClipboardPresentationMode savedMode = ClipboardPresentationMode::Notch;
    int monitoringStarts = 0;
    QStringList recognized;
    AppLanguage lang = AppLanguage::Sk;
};
