#pragma once

#include <QString>
#include <QWidget>

#include <optional>

class PanelButton;
class PanelController;
class SettingToggle;
class ToolText;

// The screenshots page: the import switch, the watched folder with its choose button, and the
// reason capture is not working while the owner reports one. The page shows what it is told and
// announces the switch; choosing the folder is the controller's.
class ScreenshotSettingsPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 12;
    static constexpr int kFolderSpacing = 8;
    static constexpr qreal kFolderSymbolSize = 12;
    static constexpr qreal kNameSize = 10;
    static constexpr qreal kCaptionSize = 9;
    static constexpr int kButtonHeight = 32;
    static constexpr int kButtonPadding = 12;
    static constexpr int kIssueHorizontalPadding = 2;

    explicit ScreenshotSettingsPage(PanelController &controller, QWidget *parent = nullptr);

    SettingToggle *importToggle() const { return m_import; }
    PanelButton *folderButton() const { return m_choose; }
    QString folderName() const;
    QString issueText() const;

    // Whether new screenshots are added, the watched folder (none chosen yet) and why capture is
    // not working, if it is not.
    void setCapture(bool automatic, const std::optional<QString> &folder, const std::optional<QString> &issue);

Q_SIGNALS:
    void automaticCaptureToggled(bool on);

private:
    SettingToggle *m_import = nullptr;
    ToolText *m_name = nullptr;
    PanelButton *m_choose = nullptr;
    QWidget *m_issueRow = nullptr;
    ToolText *m_issue = nullptr;
};
