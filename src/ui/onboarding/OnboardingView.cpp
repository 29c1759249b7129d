#include "ui/onboarding/OnboardingView.h"

#include "core/L10n.h"
#include "engine/PreferencesLink.h"
#include "ui/onboarding/OnboardingProgressBar.h"
#include "ui/onboarding/OnboardingSidebar.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ToolText.h"
#include "ui/style/PanelScrollArea.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace {

// A one-point line in the divider colour, across or down.
class OnboardingDivider : public QWidget {
public:
    OnboardingDivider(Qt::Orientation orientation, QWidget *parent) : QWidget(parent)
    {
        if (orientation == Qt::Vertical)
            setFixedWidth(1);
        else
            setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), PanelStyle::colors(this).divider);
    }
};

} // namespace

OnboardingView::OnboardingView(PreferencesLink &preferences, ClipboardPresentationMode initialMode, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_selectedMode(initialMode)
{
    // Laid out for kSize; a window on a smaller screen shrinks it, its page scrolling.
    setMaximumSize(kSize);
    setFont(PanelStyle::font(kBaseFontSize));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(preferences.appearance()));
    rebuild();

    // Every text is read when the parts are made, so a new language makes them anew; a new
    // appearance repaints the same parts in the other colours, and the chosen look's button
    // is marked in the new page.
    connect(
        &preferences, &PreferencesLink::appearanceChanged, this, [this] {
            PanelStyle::applyScheme(this, PanelStyle::schemeFor(m_preferences.appearance()));
            scheduleRebuild();
        },
        Qt::QueuedConnection);
    for (auto signal : {&PreferencesLink::languageChanged, &PreferencesLink::accessibilityPermissionEnabledChanged,
                        &PreferencesLink::inputMonitoringPermissionEnabledChanged,
                        &PreferencesLink::automaticScreenshotCaptureChanged, &PreferencesLink::screenshotFolderPathChanged,
                        &PreferencesLink::screenshotCaptureIssueChanged, &PreferencesLink::isRecordingChanged,
                        &PreferencesLink::repeatsPasteStackChanged, &PreferencesLink::launchAtLoginEnabledChanged,
                        &PreferencesLink::launchAtLoginIssueChanged, &PreferencesLink::historyLimitChanged})
        connect(&preferences, signal, this, &OnboardingView::scheduleRebuild, Qt::QueuedConnection);
}

void OnboardingView::setStep(OnboardingStep step)
{
    if (step == m_step)
        return;
    m_step = step;
    rebuild();
}

void OnboardingView::selectMode(ClipboardPresentationMode mode)
{
    if (mode == m_selectedMode)
        return;
    m_selectedMode = mode;
    rebuild();
}

void OnboardingView::goForward()
{
    if (const std::optional<OnboardingStep> next = OnboardingSteps::fromRawValue(OnboardingSteps::rawValue(m_step) + 1))
        setStep(*next);
    else
        complete();
}

void OnboardingView::goBack()
{
    setStep(OnboardingSteps::fromRawValue(OnboardingSteps::rawValue(m_step) - 1).value_or(OnboardingStep::Welcome));
}

void OnboardingView::postpone()
{
    Q_EMIT finished(false, m_selectedMode);
}

void OnboardingView::complete()
{
    Q_EMIT finished(true, m_selectedMode);
}

QAbstractButton *OnboardingView::footerButton(FooterButton button) const
{
    switch (button) {
    case FooterButton::Later:
        return m_later;
    case FooterButton::Back:
        return m_back;
    case FooterButton::Continue:
        return m_continue;
    }
    return nullptr;
}

QString OnboardingView::counterText() const
{
    return static_cast<ToolText *>(m_counter)->text();
}

void OnboardingView::scheduleRebuild()
{
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_rebuildPending)
            rebuild();
    });
}

void OnboardingView::rebuild()
{
    m_rebuildPending = false;
    // The same step keeps its scroll position and the control the keyboard was on; a new
    // step starts at its top with the keyboard on its first control.
    const bool sameStep = m_content && m_content->property("step").toInt() == OnboardingSteps::rawValue(m_step);
    const int scrolled = sameStep && m_scroll ? m_scroll->verticalScrollBar()->value() : 0;
    QString focused;
    if (QWidget *focus = QApplication::focusWidget(); focus && m_content && m_content->isAncestorOf(focus))
        focused = focus->objectName();

    if (m_content) {
        // The old parts may be inside their own click (a step row, a footer button): they go
        // once that click is over.
        QWidget *old = m_content;
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    m_content = new QWidget(this);
    m_content->setProperty("step", OnboardingSteps::rawValue(m_step));
    auto *row = new QHBoxLayout(m_content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_sidebar = new OnboardingSidebar(m_step, m_content);
    connect(m_sidebar, &OnboardingSidebar::stepChosen, this, &OnboardingView::setStep);
    row->addWidget(m_sidebar);
    row->addWidget(new OnboardingDivider(Qt::Vertical, m_content));
    row->addWidget(makeMainColumn(m_content), 1);
    layout()->addWidget(m_content);
    m_content->show();
    // The content is laid out now, so the scroll area knows how far it can go.
    m_content->layout()->activate();
    m_scroll->widget()->adjustSize();
    m_scroll->verticalScrollBar()->setValue(scrolled);

    QWidget *focus = nullptr;
    if (sameStep && !focused.isEmpty())
        focus = m_content->findChild<QWidget *>(focused);
    if (!focus && !sameStep) {
        for (QAbstractButton *button : m_page->findChildren<QAbstractButton *>()) {
            if (button->focusPolicy() & Qt::TabFocus) {
                focus = button;
                break;
            }
        }
    }
    m_focusTarget = focus ? focus : m_continue;
    m_focusTarget->setFocus(Qt::OtherFocusReason);
}

QWidget *OnboardingView::makeMainColumn(QWidget *parent)
{
    auto *main = new QWidget(parent);
    auto *column = new QVBoxLayout(main);
    column->setContentsMargins(kHorizontalPadding, kTopPadding, kHorizontalPadding, kBottomPadding);
    column->setSpacing(0);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    // Only the number is put in: a translation with "%" elsewhere stays as it is.
    QString counter = L10n::text(QStringLiteral("Krok %d z 5"));
    counter.replace(QStringLiteral("%d"), QString::number(OnboardingSteps::rawValue(m_step) + 1));
    auto *counterText = new ToolText(counter, kTopBarSize, QFont::Medium, ToolText::Role::Secondary, main);
    counterText->setObjectName(QStringLiteral("counter"));
    m_counter = counterText;
    top->addWidget(counterText);
    top->addStretch(1);
    top->addWidget(new ToolText(QStringLiteral("Tarnel"), kTopBarSize, QFont::DemiBold, ToolText::Role::Muted, main));
    column->addLayout(top);
    column->addSpacing(kProgressSpacing);
    m_progress = new OnboardingProgressBar(m_step, main);
    column->addWidget(m_progress);

    // The page lies on the window's gradient.
    m_scroll = makePanelScrollArea(main);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    auto *holder = new QWidget;
    auto *holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, kPagePadding, 0, kPagePadding);
    m_page = makePage(holder);
    holderLayout->addWidget(m_page);
    holderLayout->addStretch(1);
    m_scroll->setWidget(holder);
    holder->setAutoFillBackground(false); // after setWidget, which turns it on
    column->addWidget(m_scroll, 1);

    column->addWidget(new OnboardingDivider(Qt::Horizontal, main));
    column->addSpacing(kFooterAbove);
    auto *footer = new QHBoxLayout;
    footer->setSpacing(kFooterSpacing);
    auto *later = new PanelButton(L10n::text(QStringLiteral("Dokončiť neskôr")), false, kButtonHeight, kButtonPadding, main);
    later->setObjectName(QStringLiteral("later"));
    connect(later, &QAbstractButton::clicked, this, &OnboardingView::postpone);
    footer->addWidget(later);
    footer->addStretch(1);
    m_later = later;
    m_back = nullptr;
    if (m_step != OnboardingStep::Welcome) {
        auto *back = new PanelButton(L10n::text(QStringLiteral("Späť")), false, kButtonHeight, kButtonPadding, main);
        back->setObjectName(QStringLiteral("back"));
        connect(back, &QAbstractButton::clicked, this, &OnboardingView::goBack);
        footer->addWidget(back);
        m_back = back;
    }
    const QString onward = m_step == OnboardingStep::Ready ? L10n::text(QStringLiteral("Začať používať"))
                                                           : L10n::text(QStringLiteral("Pokračovať"));
    auto *next = new PanelButton(onward, true, kButtonHeight, kButtonPadding, main);
    next->setObjectName(QStringLiteral("continue"));
    connect(next, &QAbstractButton::clicked, this, &OnboardingView::goForward);
    footer->addWidget(next);
    m_continue = next;
    column->addLayout(footer);
    return main;
}

QWidget *OnboardingView::makePage(QWidget *parent)
{
    auto *page = new QWidget(parent);
    page->setObjectName(QStringLiteral("page-") + OnboardingSteps::name(m_step));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(OnboardingSteps::pageSpacing(m_step));
    switch (m_step) {
    case OnboardingStep::Welcome:
        fillWelcomePage(page);
        break;
    case OnboardingStep::Permissions:
        fillPermissionsPage(page);
        break;
    case OnboardingStep::Screenshots:
        fillScreenshotsPage(page);
        break;
    case OnboardingStep::Preferences:
        fillPreferencesPage(page);
        break;
    case OnboardingStep::Ready:
        fillReadyPage(page);
        break;
    }
    return page;
}

void OnboardingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PanelStyle::fillBackground(painter, rect(), PanelStyle::schemeOf(this));
}

void OnboardingView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_focusOnActivation = true;
    if (window() != this)
        window()->installEventFilter(this);
}

bool OnboardingView::eventFilter(QObject *watched, QEvent *event)
{
    // A window that becomes active gives the keyboard to its first control, after this event;
    // a newly shown guide wants it on its own choice (the primary button, or the page's first
    // control), so it takes it back once activation is over.
    if (watched == window() && event->type() == QEvent::WindowActivate && m_focusOnActivation) {
        m_focusOnActivation = false;
        QTimer::singleShot(0, this, [this] {
            if (m_focusTarget)
                m_focusTarget->setFocus(Qt::ActiveWindowFocusReason);
        });
    }
    return QWidget::eventFilter(watched, event);
}

void OnboardingView::keyPressEvent(QKeyEvent *event)
{
    // Return is the guide's default button, wherever the keyboard is.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        goForward();
        return;
    }
    QWidget::keyPressEvent(event);
}
