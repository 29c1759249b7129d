#pragma once

#include <QWidget>

class QAbstractButton;
class ToolText;

// One switch of the settings: the symbol, a title over a subtitle, room, and a small switch.
// The row shows the flag it is given and reports a flip through toggled(); the caller decides
// what the flip does and sets the flag the model reports afterwards, so a refused change
// (launch at login) flips the switch back by itself.
class SettingToggle : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPadding = 11;
    static constexpr int kSpacing = 10;
    static constexpr int kSymbolWidth = 20;
    static constexpr qreal kSymbolSize = 13;
    static constexpr qreal kTitleSize = 11;
    static constexpr qreal kSubtitleSize = 9;
    static constexpr int kTextSpacing = 3;

    SettingToggle(const QString &title, const QString &subtitle, const QString &symbol, QWidget *parent = nullptr);

    void setTexts(const QString &title, const QString &subtitle);
    void setValue(bool on);
    bool value() const;
    QAbstractButton *switchButton() const { return m_switch; }

Q_SIGNALS:
    void toggled(bool on);

private:
    QAbstractButton *m_switch;
    ToolText *m_title;
    ToolText *m_subtitle;
};
