#pragma once

#include "core/AppLanguage.h"
#include "core/ClipboardAppearance.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ClipboardModel;

// What the settings pages and the guide read and change of the application model: the
// preferences, what the desktop permits, where screenshots are looked for and whether Tarnel
// starts at login. Those views are handed this face instead of the whole model, so a page can
// neither paste nor touch the history; it announces every change the model announces of them.
// The model owns its one link (ClipboardModel::preferences()).
class PreferencesLink : public QObject {
    Q_OBJECT
public:
    explicit PreferencesLink(ClipboardModel &model);

    ClipboardAppearance appearance() const;
    void setAppearance(ClipboardAppearance value);
    AppLanguage language() const;
    void setLanguage(AppLanguage value);

    bool isRecording() const;
    void setIsRecording(bool value);
    bool isPrivateMode() const;
    void setIsPrivateMode(bool value);
    bool repeatsPasteStack() const;
    void setRepeatsPasteStack(bool value);
    int historyLimit() const;
    void setHistoryLimit(int value);
    int temporaryMinutes() const;
    void setTemporaryMinutes(int value);

    bool launchAtLoginEnabled() const;
    std::optional<QString> launchAtLoginIssue() const;
    void setLaunchAtLogin(bool enabled);

    bool automaticScreenshotCapture() const;
    void setAutomaticScreenshotCapture(bool enabled);
    std::optional<QString> screenshotFolderPath() const;
    std::optional<QString> screenshotCaptureIssue() const;

    bool pasteMonitoringEnabled() const;
    bool accessibilityPermissionEnabled() const;
    bool inputMonitoringPermissionEnabled() const;
    QStringList unavailableShortcuts() const;
    QStringList layoutSwitchShortcuts() const;
    std::optional<QString> shortcutNotice() const;
    QString sessionLimitsNotice() const;

Q_SIGNALS:
    void appearanceChanged();
    void languageChanged();
    void isRecordingChanged();
    void isPrivateModeChanged();
    void repeatsPasteStackChanged();
    void historyLimitChanged();
    void temporaryMinutesChanged();
    void launchAtLoginEnabledChanged();
    void launchAtLoginIssueChanged();
    void automaticScreenshotCaptureChanged();
    void screenshotFolderPathChanged();
    void screenshotCaptureIssueChanged();
    void pasteMonitoringEnabledChanged();
    void accessibilityPermissionEnabledChanged();
    void inputMonitoringPermissionEnabledChanged();
    void unavailableShortcutsChanged();
    void layoutSwitchShortcutsChanged();
    void shortcutNoticeChanged();

private:
    ClipboardModel &m_model;
};
