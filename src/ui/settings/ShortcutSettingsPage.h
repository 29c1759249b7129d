#pragma once

#include <QWidget>

class PreferencesLink;
class PanelButton;
class PanelController;
class ToolText;

// The shortcuts page: whether pasting and typed snippets can work in this session, the
// explanations while they cannot, the shortcuts that could not be taken, and the five global
// shortcuts (fixed, for reading only).
class ShortcutSettingsPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 12;
    static constexpr int kCardSpacing = 9;
    static constexpr int kButtonSpacing = 7;
    static constexpr int kRowSpacing = 8;
    static constexpr qreal kTitleSize = 11;
    static constexpr qreal kTextSize = 10;
    static constexpr int kButtonHeight = 32;
    static constexpr int kButtonPadding = 12;
    static constexpr int kLineHorizontalPadding = 2;

    ShortcutSettingsPage(PreferencesLink &preferences, PanelController &controller, QWidget *parent = nullptr);

    bool isPermissionCardShown() const;
    PanelButton *keySendingButton() const { return m_keySending; }
    PanelButton *keyWatchButton() const { return m_keyWatch; }
    QString warningText() const;
    QString statusText() const;
    // What the session limits, shown below the status; empty where it limits nothing.
    QString sessionText() const;

private:
    void refresh();

    PreferencesLink &m_preferences;
    QWidget *m_card = nullptr;
    ToolText *m_explanation = nullptr;
    PanelButton *m_keySending = nullptr;
    PanelButton *m_keyWatch = nullptr;
    ToolText *m_warning = nullptr;
    QWidget *m_statusRow = nullptr;
    ToolText *m_statusSymbol = nullptr;
    ToolText *m_status = nullptr;
    ToolText *m_session = nullptr;
};
