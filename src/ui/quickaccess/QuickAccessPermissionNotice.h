#pragma once

#include <QWidget>

#include <functional>

class ClipboardModel;
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

    explicit QuickAccessPermissionNotice(ClipboardModel &model, QWidget *parent = nullptr);

    // Opens the Accessibility setting (not trusted) or asks for Input Monitoring (trusted).
    std::function<void(bool accessibilityTrusted)> onOpenSettings;
    std::function<void()> onDismiss;

    // The notice is followed by what the session limits, if anything.
    void setNotice(const QString &notice);
    QString message() const { return m_notice; }
    PanelButton *settingsButton() const { return m_settings; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refreshCaption();
    qreal contentHeight() const;

    ClipboardModel &m_model;
    QString m_notice;
    PanelButton *m_settings = nullptr;
    QWidget *m_close = nullptr;
};
