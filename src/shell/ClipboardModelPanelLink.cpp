#include "shell/ClipboardModelPanelLink.h"

#include "engine/ClipboardModel.h"
#include "platform/SettingsStore.h"

#include <QDir>

ClipboardModelPanelLink::ClipboardModelPanelLink(ClipboardModel &model, SettingsStore &settings, QObject *parent)
    : PanelModelLink(parent)
    , m_model(model)
    , m_settings(settings)
{
    connect(&model, &ClipboardModel::screenshotNoticeChanged, this, &PanelModelLink::screenshotNoticeChanged);
    connect(&model, &ClipboardModel::copiedNoticeVisibleChanged, this, &PanelModelLink::copiedNoticeVisibleChanged);
    connect(&model, &ClipboardModel::notKeptNoticeChanged, this, &PanelModelLink::copiedNoticeVisibleChanged);
    connect(&model, &ClipboardModel::appearanceChanged, this, &PanelModelLink::appearanceChanged);
    connect(&model, &ClipboardModel::languageChanged, this, &PanelModelLink::languageChanged);
    connect(&model, &ClipboardModel::entriesChanged, this, &PanelModelLink::entriesChanged);
    connect(&model, &ClipboardModel::isQuickAccessPresentedChanged, this, &PanelModelLink::quickAccessChanged);
}

std::optional<ClipboardEntry> ClipboardModelPanelLink::screenshotNotice() const { return m_model.screenshotNotice(); }
bool ClipboardModelPanelLink::copiedNoticeVisible() const { return m_model.copiedNoticeVisible(); }
bool ClipboardModelPanelLink::imageNotKeptNotice() const { return m_model.imageNotKeptNotice(); }
bool ClipboardModelPanelLink::textNotKeptNotice() const { return m_model.textNotKeptNotice(); }
bool ClipboardModelPanelLink::copyNotKeptNotice() const { return m_model.copyNotKeptNotice(); }
bool ClipboardModelPanelLink::nothingSelectedNotice() const { return m_model.nothingSelectedNotice(); }
void ClipboardModelPanelLink::dismissScreenshotNotice() { m_model.dismissScreenshotNotice(); }
void ClipboardModelPanelLink::showScreenshotNotice(const ClipboardEntry &entry) { m_model.showScreenshotNotice(entry); }
ClipboardAppearance ClipboardModelPanelLink::appearance() const { return m_model.appearance(); }
int ClipboardModelPanelLink::entryCount() const { return static_cast<int>(m_model.entries().size()); }
AppLanguage ClipboardModelPanelLink::language() const { return m_model.language(); }

void ClipboardModelPanelLink::setPasteTargetApplication(const std::optional<RunningApplication> &application)
{
    m_model.setPasteTargetApplication(application);
}

std::optional<RunningApplication> ClipboardModelPanelLink::pasteTargetApplication() const
{
    return m_model.pasteTargetApplication();
}

void ClipboardModelPanelLink::setCurrentContext(const QString &name) { m_model.setCurrentContext(name); }
void ClipboardModelPanelLink::setPanelOverlayPresented(bool presented) { m_model.setPanelOverlayPresented(presented); }
bool ClipboardModelPanelLink::isQuickAccessPresented() const { return m_model.isQuickAccessPresented(); }
void ClipboardModelPanelLink::setQuickAccessPresented(bool presented) { m_model.setIsQuickAccessPresented(presented); }
bool ClipboardModelPanelLink::isPasteAsPresented() const { return m_model.isPasteAsPresented(); }
void ClipboardModelPanelLink::setPasteAsPresented(bool presented) { m_model.setIsPasteAsPresented(presented); }

void ClipboardModelPanelLink::setQuickPasteOptionsPresented(bool presented)
{
    m_model.setIsQuickPasteOptionsPresented(presented);
}

ClipboardPanelTab ClipboardModelPanelLink::selectedTab() const { return m_model.selectedTab(); }
void ClipboardModelPanelLink::setSelectedTab(ClipboardPanelTab tab) { m_model.setSelectedTab(tab); }

void ClipboardModelPanelLink::beginQuickAccess(const std::optional<RunningApplication> &target)
{
    m_model.beginQuickAccess(target);
}

void ClipboardModelPanelLink::selectFirstQuickAccessEntry()
{
    const QList<ClipboardEntry> listed = m_model.quickAccessEntries();
    m_model.setSelectedEntryID(listed.isEmpty() ? std::nullopt : std::optional<QString>(listed.first().id));
}

void ClipboardModelPanelLink::requestQuickSearchFocus() { m_model.requestQuickSearchFocus(); }
bool ClipboardModelPanelLink::hasShortcutNotice() const { return m_model.shortcutNotice().has_value(); }
bool ClipboardModelPanelLink::isQuickPasteOptionsPresented() const { return m_model.isQuickPasteOptionsPresented(); }

bool ClipboardModelPanelLink::selectedEntryIsImage() const
{
    const std::optional<ClipboardEntry> selected = m_model.selectedQuickAccessEntry();
    return selected && selected->kind == ClipboardKind::Image;
}

int ClipboardModelPanelLink::quickAccessItemCount() const { return m_model.quickAccessItemCount(); }

std::optional<QString> ClipboardModelPanelLink::screenshotFolderPath() const { return m_model.screenshotFolderPath(); }

void ClipboardModelPanelLink::setScreenshotFolder(const QString &path) { m_model.setScreenshotFolder(path); }

ClipboardPresentationMode ClipboardModelPanelLink::savedPresentationMode() const
{
    return ::savedPresentationMode(m_settings.textValue(QString::fromLatin1(kPresentationModeSettingKey)));
}

void ClipboardModelPanelLink::startMonitoring() { m_model.startMonitoring(); }

void ClipboardModelPanelLink::copyScreenRecognition(const QString &text) { m_model.copyScreenRecognition(text); }
