#pragma once

#include "engine/PanelModelLink.h"

class ClipboardModel;
class SettingsStore;

// The panel controller's view of the application model: every operation goes to the model's
// own; only the saved presentation mode is read from the settings.
class ClipboardModelPanelLink : public PanelModelLink {
    Q_OBJECT
public:
    ClipboardModelPanelLink(ClipboardModel &model, SettingsStore &settings, QObject *parent = nullptr);

    std::optional<ClipboardEntry> screenshotNotice() const override;
    bool copiedNoticeVisible() const override;
    bool imageNotKeptNotice() const override;
    bool textNotKeptNotice() const override;
    bool copyNotKeptNotice() const override;
    bool nothingSelectedNotice() const override;
    void dismissScreenshotNotice() override;
    void showScreenshotNotice(const ClipboardEntry &entry) override;
    ClipboardAppearance appearance() const override;
    int entryCount() const override;
    AppLanguage language() const override;

    void setPasteTargetApplication(const std::optional<RunningApplication> &application) override;
    std::optional<RunningApplication> pasteTargetApplication() const override;
    void setCurrentContext(const QString &name) override;
    void setPanelOverlayPresented(bool presented) override;

    bool isQuickAccessPresented() const override;
    void setQuickAccessPresented(bool presented) override;
    bool isPasteAsPresented() const override;
    void setPasteAsPresented(bool presented) override;
    void setQuickPasteOptionsPresented(bool presented) override;
    ClipboardPanelTab selectedTab() const override;
    void setSelectedTab(ClipboardPanelTab tab) override;
    void beginQuickAccess(const std::optional<RunningApplication> &target) override;
    void selectFirstQuickAccessEntry() override;
    void requestQuickSearchFocus() override;
    bool hasShortcutNotice() const override;
    bool isQuickPasteOptionsPresented() const override;
    bool selectedEntryIsImage() const override;
    int quickAccessItemCount() const override;

    std::optional<QString> screenshotFolderPath() const override;
    void setScreenshotFolder(const QString &path) override;
    ClipboardPresentationMode savedPresentationMode() const override;
    void startMonitoring() override;
    void copyScreenRecognition(const QString &text) override;

private:
    ClipboardModel &m_model;
    SettingsStore &m_settings;
};
