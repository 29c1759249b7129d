#include "engine/PreferencesLink.h"

#include "engine/ClipboardModel.h"

PreferencesLink::PreferencesLink(ClipboardModel &model)
    : QObject(&model)
    , m_model(model)
{
    // Direct, so that a view that follows the link queued sees the change in the same turn as
    // one that follows the model.
    const auto relay = [this, &model](auto modelSignal, auto linkSignal) { connect(&model, modelSignal, this, linkSignal); };
    relay(&ClipboardModel::appearanceChanged, &PreferencesLink::appearanceChanged);
    relay(&ClipboardModel::languageChanged, &PreferencesLink::languageChanged);
    relay(&ClipboardModel::isRecordingChanged, &PreferencesLink::isRecordingChanged);
    relay(&ClipboardModel::isPrivateModeChanged, &PreferencesLink::isPrivateModeChanged);
    relay(&ClipboardModel::repeatsPasteStackChanged, &PreferencesLink::repeatsPasteStackChanged);
    relay(&ClipboardModel::historyLimitChanged, &PreferencesLink::historyLimitChanged);
    relay(&ClipboardModel::temporaryMinutesChanged, &PreferencesLink::temporaryMinutesChanged);
    relay(&ClipboardModel::launchAtLoginEnabledChanged, &PreferencesLink::launchAtLoginEnabledChanged);
    relay(&ClipboardModel::launchAtLoginIssueChanged, &PreferencesLink::launchAtLoginIssueChanged);
    relay(&ClipboardModel::automaticScreenshotCaptureChanged, &PreferencesLink::automaticScreenshotCaptureChanged);
    relay(&ClipboardModel::screenshotFolderPathChanged, &PreferencesLink::screenshotFolderPathChanged);
    relay(&ClipboardModel::screenshotCaptureIssueChanged, &PreferencesLink::screenshotCaptureIssueChanged);
    relay(&ClipboardModel::pasteMonitoringEnabledChanged, &PreferencesLink::pasteMonitoringEnabledChanged);
    relay(&ClipboardModel::accessibilityPermissionEnabledChanged, &PreferencesLink::accessibilityPermissionEnabledChanged);
    relay(&ClipboardModel::inputMonitoringPermissionEnabledChanged,
          &PreferencesLink::inputMonitoringPermissionEnabledChanged);
    relay(&ClipboardModel::unavailableShortcutsChanged, &PreferencesLink::unavailableShortcutsChanged);
    relay(&ClipboardModel::layoutSwitchShortcutsChanged, &PreferencesLink::layoutSwitchShortcutsChanged);
    relay(&ClipboardModel::shortcutNoticeChanged, &PreferencesLink::shortcutNoticeChanged);
}

ClipboardAppearance PreferencesLink::appearance() const { return m_model.appearance(); }
void PreferencesLink::setAppearance(ClipboardAppearance value) { m_model.setAppearance(value); }
AppLanguage PreferencesLink::language() const { return m_model.language(); }
void PreferencesLink::setLanguage(AppLanguage value) { m_model.setLanguage(value); }

bool PreferencesLink::isRecording() const { return m_model.isRecording(); }
void PreferencesLink::setIsRecording(bool value) { m_model.setIsRecording(value); }
bool PreferencesLink::isPrivateMode() const { return m_model.isPrivateMode(); }
void PreferencesLink::setIsPrivateMode(bool value) { m_model.setIsPrivateMode(value); }
bool PreferencesLink::repeatsPasteStack() const { return m_model.repeatsPasteStack(); }
void PreferencesLink::setRepeatsPasteStack(bool value) { m_model.setRepeatsPasteStack(value); }
int PreferencesLink::historyLimit() const { return m_model.historyLimit(); }
void PreferencesLink::setHistoryLimit(int value) { m_model.setHistoryLimit(value); }
int PreferencesLink::temporaryMinutes() const { return m_model.temporaryMinutes(); }
void PreferencesLink::setTemporaryMinutes(int value) { m_model.setTemporaryMinutes(value); }

bool PreferencesLink::launchAtLoginEnabled() const { return m_model.launchAtLoginEnabled(); }
std::optional<QString> PreferencesLink::launchAtLoginIssue() const { return m_model.launchAtLoginIssue(); }
void PreferencesLink::setLaunchAtLogin(bool enabled) { m_model.setLaunchAtLogin(enabled); }

bool PreferencesLink::automaticScreenshotCapture() const { return m_model.automaticScreenshotCapture(); }
void PreferencesLink::setAutomaticScreenshotCapture(bool enabled) { m_model.setAutomaticScreenshotCapture(enabled); }
std::optional<QString> PreferencesLink::screenshotFolderPath() const { return m_model.screenshotFolderPath(); }
std::optional<QString> PreferencesLink::screenshotCaptureIssue() const { return m_model.screenshotCaptureIssue(); }

bool PreferencesLink::pasteMonitoringEnabled() const { return m_model.pasteMonitoringEnabled(); }
bool PreferencesLink::accessibilityPermissionEnabled() const { return m_model.accessibilityPermissionEnabled(); }
bool PreferencesLink::inputMonitoringPermissionEnabled() const { return m_model.inputMonitoringPermissionEnabled(); }
QStringList PreferencesLink::unavailableShortcuts() const { return m_model.unavailableShortcuts(); }
QStringList PreferencesLink::layoutSwitchShortcuts() const { return m_model.layoutSwitchShortcuts(); }
std::optional<QString> PreferencesLink::shortcutNotice() const { return m_model.shortcutNotice(); }
QString PreferencesLink::sessionLimitsNotice() const { return m_model.sessionLimitsNotice(); }
