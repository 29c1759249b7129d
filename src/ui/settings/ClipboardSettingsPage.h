#pragma once

#include <QWidget>

class PreferencesLink;
class MenuPicker;
class SettingToggle;
class ToolText;

// The clipboard page: recording and private mode, the Paste Stack's mode, the history size and
// the lifetime of new copies, each bound straight to the model's setting.
class ClipboardSettingsPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 12;
    static constexpr int kStackSpacing = 4;
    static constexpr qreal kLabelSize = 11;
    static constexpr qreal kExplanationSize = 9;

    explicit ClipboardSettingsPage(PreferencesLink &preferences, QWidget *parent = nullptr);

    SettingToggle *recordingToggle() const { return m_recording; }
    SettingToggle *privateToggle() const { return m_private; }
    MenuPicker *stackModePicker() const { return m_stackMode; }
    MenuPicker *historyLimitPicker() const { return m_historyLimit; }
    MenuPicker *lifetimePicker() const { return m_lifetime; }
    QString stackExplanation() const;

private:
    void refresh();

    PreferencesLink &m_preferences;
    SettingToggle *m_recording = nullptr;
    SettingToggle *m_private = nullptr;
    MenuPicker *m_stackMode = nullptr;
    MenuPicker *m_historyLimit = nullptr;
    MenuPicker *m_lifetime = nullptr;
    ToolText *m_stackExplanation = nullptr;
};
