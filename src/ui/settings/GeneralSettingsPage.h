#pragma once

#include "core/AppLanguage.h"
#include "core/ClipboardAppearance.h"

#include <QString>
#include <QWidget>

#include <optional>

class AppearancePicker;
class LanguagePicker;
class PanelController;
class SettingToggle;
class ToolText;

// The general page: the guide card, the appearance, language and presentation pickers, and the
// launch-at-login switch with the desktop's own error text under it when a change failed. The
// page shows the settings its owner reports and announces the user's choices; the presentation
// mode is the controller's and goes to it directly.
class GeneralSettingsPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 12;
    static constexpr int kTileSide = 32;
    static constexpr qreal kTileRadius = 9;
    static constexpr qreal kTileSymbolSize = 15;
    static constexpr qreal kTileTintOpacity = 0.1;
    static constexpr qreal kTitleSize = 11;
    static constexpr qreal kLineSize = 9;
    static constexpr int kButtonHeight = 32;
    static constexpr int kButtonPadding = 12;
    static constexpr int kPickerSpacing = 10;
    static constexpr int kIssueHorizontalPadding = 2;

    GeneralSettingsPage(ClipboardAppearance appearance, AppLanguage language, PanelController &controller,
                        QWidget *parent = nullptr);

    AppearancePicker *appearancePicker() const { return m_appearance; }
    LanguagePicker *languagePicker() const { return m_language; }
    SettingToggle *launchToggle() const { return m_launch; }
    ToolText *launchIssue() const { return m_issue; }
    ToolText *trayNote() const { return m_trayNote; }

    // Whether Tarnel starts at login as the desktop holds it, and the desktop's error text when
    // the last change failed.
    void setLaunchAtLogin(bool enabled, const std::optional<QString> &issue);

Q_SIGNALS:
    void launchAtLoginToggled(bool on);

private:
    void showLaunchAtLogin();

    AppearancePicker *m_appearance = nullptr;
    LanguagePicker *m_language = nullptr;
    bool m_launchEnabled = false;
    std::optional<QString> m_launchIssue;
    SettingToggle *m_launch = nullptr;
    ToolText *m_issue = nullptr;
    ToolText *m_trayNote = nullptr;
};
