#pragma once

#include <QWidget>

class PanelButton;

// Stands in for the whole Quick Access content while a paste or shortcut lacks a permission:
// why, a button to the desktop's setting that grants it, a note to come back, and a close button.
class QuickAccessPermissionNotice : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTileSide = 46;
    static constexpr qreal kTileRadius = 15;
    static constexpr int kSpacing = 11;
    static constexpr int kTextSpacing = 5;
    static constexpr int kMessageWidth = 270;
    static constexpr int kButtonWidth = 230;
    static constexpr int kButtonHeight = 32;
    static constexpr int kHorizontalPadding = 26;
    static constexpr int kVerticalPadding = 18;
    static constexpr int kCloseSide = 25;
    static constexpr int kClosePadding = 10;

    explicit QuickAccessPermissionNotice(QWidget *parent = nullptr);

    // The notice is followed by what the session limits, if anything (both Slovak base texts).
    void setNotice(const QString &notice, const QString &sessionLimits);
    // Whether key sending is granted: the button then leads to Input Monitoring instead.
    void setAccessibilityTrusted(bool trusted);
    // The texts read from L10n when the widgets were made, in the language of the moment.
    void retranslate();
    QString message() const { return m_notice; }
    PanelButton *settingsButton() const { return m_settings; }

Q_SIGNALS:
    // Opens the Accessibility setting (not trusted) or asks for Input Monitoring (trusted).
    void settingsRequested(bool accessibilityTrusted);
    // Closes Quick Access altogether (the close button).
    void dismissRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refreshCaption();
    qreal contentHeight() const;

    bool m_accessibilityTrusted = false;
    QString m_notice;
    PanelButton *m_settings = nullptr;
    QWidget *m_close = nullptr;
};
