#pragma once

#include "core/ClipboardPresentationMode.h"
#include "ui/onboarding/OnboardingStep.h"

#include <QPointer>
#include <QWidget>

class PreferencesLink;
class OnboardingProgressBar;
class OnboardingSidebar;
class QAbstractButton;
class QScrollArea;

// The first-run guide: the step list on the left, the step counter and progress on top, the
// step's page in the middle, and the way back, on or out at the bottom.
//
// The pages change the model at once, as the settings do; only the display mode is held here
// and handed over with finished(), since switching the panel away under the user's pointer
// halfway through the guide would be a surprise. Nothing is ever locked: the user may go to
// any step, leave at any time, and postponing brings the guide back at the next start.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{760, 560};
    static constexpr qreal kBaseFontSize = 12;
    static constexpr int kHorizontalPadding = 28;
    static constexpr int kTopPadding = 23;
    static constexpr int kBottomPadding = 21;
    static constexpr qreal kTopBarSize = 11;
    static constexpr int kProgressSpacing = 14;
    static constexpr int kPagePadding = 23;
    static constexpr int kFooterSpacing = 9;
    static constexpr int kFooterAbove = 17;
    static constexpr int kButtonHeight = 32;
    static constexpr int kButtonPadding = 12;

    // Preferences page.
    static constexpr int kChoiceSpacing = 8;
    static constexpr qreal kHintSize = 10;
    static constexpr qreal kCardRadius = 12;
    static constexpr int kHistoryPickerWidth = 145;
    // Capture and folder cards of the screenshots page.
    static constexpr int kCardPadding = 15;
    static constexpr qreal kToolCardRadius = 13;
    static constexpr int kCardSpacing = 12;

    enum class FooterButton { Later, Back, Continue };

    OnboardingView(PreferencesLink &preferences, ClipboardPresentationMode initialMode, QWidget *parent = nullptr);

    OnboardingStep step() const { return m_step; }
    void setStep(OnboardingStep step);
    ClipboardPresentationMode selectedMode() const { return m_selectedMode; }
    void selectMode(ClipboardPresentationMode mode);

    // What the footer does: on to the next step (finishing on the last), one step back, and
    // leave for later (the display mode chosen here is then dropped).
    void goForward();
    void goBack();
    void postpone();
    void complete();

    // The parts as the user sees them; a footer button hidden on this step is none.
    QAbstractButton *footerButton(FooterButton button) const;
    OnboardingSidebar *sidebar() const { return m_sidebar; }
    OnboardingProgressBar *progressBar() const { return m_progress; }
    QString counterText() const;
    QWidget *page() const { return m_page; }

    QSize sizeHint() const override { return kSize; }
    // The window has one fixed size; its page scrolls instead of growing it.
    bool hasHeightForWidth() const override { return false; }

Q_SIGNALS:
    // The desktop grants no permission from a settings pane: these ask for Tarnel's own
    // explanation of what is missing and what to do.
    void keySendingHelpRequested();
    void keyWatchHelpRequested();
    void screenshotFolderRequested();
    void finished(bool completed, ClipboardPresentationMode mode);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebuild();
    void scheduleRebuild();
    QWidget *makeMainColumn(QWidget *parent);
    QWidget *makePage(QWidget *parent);
    void fillWelcomePage(QWidget *page);
    void fillPermissionsPage(QWidget *page);
    void fillScreenshotsPage(QWidget *page);
    void fillPreferencesPage(QWidget *page);
    void fillReadyPage(QWidget *page);

    PreferencesLink &m_preferences;
    OnboardingStep m_step = OnboardingStep::Welcome;
    ClipboardPresentationMode m_selectedMode;
    bool m_rebuildPending = false;
    QWidget *m_content = nullptr;
    OnboardingSidebar *m_sidebar = nullptr;
    OnboardingProgressBar *m_progress = nullptr;
    QWidget *m_counter = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_page = nullptr;
    QAbstractButton *m_later = nullptr;
    QAbstractButton *m_back = nullptr;
    QAbstractButton *m_continue = nullptr;
    QPointer<QWidget> m_focusTarget;
    bool m_focusOnActivation = false;
};
