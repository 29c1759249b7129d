#pragma once

#include <QWidget>

class PreferencesLink;
class GeneralSettingsPage;
class PanelController;
class QAbstractButton;
class QScrollArea;
class ScreenshotSettingsPage;
class TarnelUpdater;

// The settings window's content: the heading, a bar of the four pages, and the chosen page in
// a scrolling area. The page is view state only, announced as it is chosen so that whoever
// opens the window again can start it there; switching pages shows the new one from its top.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    enum class Tab { General, Clipboard, Screenshots, Shortcuts };

    // The window's size when it first opens.
    static constexpr QSize kWindowSize{560, 700};
    static constexpr int kPadding = 18;
    static constexpr int kSpacing = 16;
    static constexpr int kTabSpacing = 4;
    static constexpr int kTabVerticalPadding = 12;
    static constexpr int kTabLabelSpacing = 7;
    static constexpr qreal kTabSymbolSize = 15;
    static constexpr qreal kTabTitleSize = 10;
    static constexpr qreal kTabRadius = 10;
    static constexpr qreal kTabTintOpacity = 0.1;
    static constexpr int kPageSpacing = 12;

    SettingsView(PreferencesLink &preferences, PanelController &controller, TarnelUpdater *updater, bool showsHeading,
                 QWidget *parent = nullptr);

    Tab tab() const { return m_tab; }
    void setTab(Tab tab);
    QAbstractButton *tabButton(Tab tab) const;
    QWidget *page() const { return m_page; }
    QSize sizeHint() const override { return kWindowSize; }

Q_SIGNALS:
    void tabChanged(SettingsView::Tab tab);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void rebuild();
    QWidget *makePage(Tab tab);
    // The pages that only show and announce: their values come from the model, their choices
    // go to it.
    GeneralSettingsPage *makeGeneralPage(QWidget *parent);
    ScreenshotSettingsPage *makeScreenshotPage(QWidget *parent);

    PreferencesLink &m_preferences;
    PanelController &m_controller;
    TarnelUpdater *m_updater;
    bool m_showsHeading;
    Tab m_tab = Tab::General;
    QList<QAbstractButton *> m_tabButtons;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_page = nullptr;
};
