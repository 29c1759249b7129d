#pragma once

#include <QWidget>

class ClipboardModel;
class PanelController;
class SettingToggle;
class ToolText;

// The general page: the guide card, the appearance, language and presentation pickers, and the
// launch-at-login switch with the desktop's own error text under it when a change failed.
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

    GeneralSettingsPage(ClipboardModel &model, PanelController &controller, QWidget *parent = nullptr);

    SettingToggle *launchToggle() const { return m_launch; }
    ToolText *launchIssue() const { return m_issue; }
    ToolText *trayNote() const { return m_trayNote; }

private:
    void refresh();

    ClipboardModel &m_model;
    SettingToggle *m_launch = nullptr;
    ToolText *m_issue = nullptr;
    ToolText *m_trayNote = nullptr;
};
