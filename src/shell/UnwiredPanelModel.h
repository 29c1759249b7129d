#pragma once

#include "shell/PanelModelLink.h"

class SettingsStore;

// The panel's share of the application state while no clipboard engine is wired into the
// program: the panel, the popup and the windows work, but nothing is captured, so there are
// no entries and no notices. It keeps the Quick Access flags, the tab and the paste target
// that the controller sets, and reads the saved appearance and presentation mode.
class UnwiredPanelModel : public PanelModelLink {
    Q_OBJECT
public:
    explicit UnwiredPanelModel(SettingsStore &settings, QObject *parent = nullptr);

    std::optional<ClipboardEntry> screenshotNotice() const override { return std::nullopt; }
    bool copiedNoticeVisible() const override { return false; }
    void dismissScreenshotNotice() override {}
    ClipboardAppearance appearance() const override;
    int entryCount() const override { return 0; }

    void setPasteTargetApplication(const std::optional<RunningApplication> &application) override { m_target = application; }
    std::optional<RunningApplication> pasteTargetApplication() const override { return m_target; }
    void setCurrentContext(const QString &name) override { m_context = name; }
    void setPanelOverlayPresented(bool presented) override { m_overlay = presented; }

    bool isQuickAccessPresented() const override { return m_quickAccess; }
    void setQuickAccessPresented(bool presented) override;
    bool isPasteAsPresented() const override { return m_pasteAs; }
    void setPasteAsPresented(bool presented) override { m_pasteAs = presented; }
    void setQuickPasteOptionsPresented(bool presented) override { m_options = presented; }
    ClipboardPanelTab selectedTab() const override { return m_tab; }
    void setSelectedTab(ClipboardPanelTab tab) override { m_tab = tab; }
    void beginQuickAccess(const std::optional<RunningApplication> &target) override;
    void selectFirstQuickAccessEntry() override {}
    void requestQuickSearchFocus() override {}
    bool hasShortcutNotice() const override { return false; }
    bool isQuickPasteOptionsPresented() const override { return m_options; }
    bool selectedEntryIsImage() const override { return false; }
    int quickAccessItemCount() const override { return 0; }

    std::optional<QString> screenshotFolderPath() const override { return m_folder; }
    void setScreenshotFolder(const QString &path) override { m_folder = path; }
    ClipboardPresentationMode savedPresentationMode() const override;
    void startMonitoring() override;

private:
    SettingsStore &m_settings;
    std::optional<RunningApplication> m_target;
    QString m_context;
    bool m_overlay = false;
    bool m_quickAccess = false;
    bool m_pasteAs = false;
    bool m_options = false;
    ClipboardPanelTab m_tab = ClipboardPanelTab::Clipboard;
    std::optional<QString> m_folder;
};
