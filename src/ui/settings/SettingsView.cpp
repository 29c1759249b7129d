#include "ui/settings/SettingsView.h"

#include "core/L10n.h"
#include "engine/PreferencesLink.h"
#include "ui/library/SectionHeading.h"
#include "ui/settings/AppearancePicker.h"
#include "ui/settings/ClipboardSettingsPage.h"
#include "ui/settings/GeneralSettingsPage.h"
#include "ui/settings/LanguagePicker.h"
#include "ui/settings/ScreenshotSettingsPage.h"
#include "ui/settings/ShortcutSettingsPage.h"
#include "ui/settings/UpdatesSection.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/style/PanelScrollArea.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

namespace {

using Tab = SettingsView::Tab;

struct TabLabel {
    Tab tab;
    const char *symbol;
    const char *title;
};

constexpr std::array<TabLabel, 4> kTabs{{
    {Tab::General, "slider.horizontal.3", "Všeobecné"},
    {Tab::Clipboard, "doc.on.clipboard", "Schránka"},
    {Tab::Screenshots, "camera.viewfinder", "Screenshoty"},
    // "Skratky" alone names the typed snippets elsewhere, so the page says which shortcuts.
    {Tab::Shortcuts, "command", "Klávesové skratky"},
}};

// One page of the bar: the symbol over the title, the accent when chosen; the bar's width is
// shared equally.
class TabButton : public QAbstractButton {
public:
    TabButton(const TabLabel &label, QWidget *parent)
        : QAbstractButton(parent), m_symbol(QString::fromLatin1(label.symbol)), m_title(L10n::text(QString::fromUtf8(label.title)))
    {
        setCheckable(true);
        setAccessibleName(m_title);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override
    {
        const QFont font = PanelStyle::font(SettingsView::kTabTitleSize, QFont::DemiBold);
        return {PanelText::width(font, m_title) + 8,
                SettingsView::kTabVerticalPadding * 2 + int(PanelIcons::side(SettingsView::kTabSymbolSize))
                    + SettingsView::kTabLabelSpacing + PanelText::lineHeight(font)};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const PanelStyle::Colors &colors = PanelStyle::colors(this);
        const bool selected = isChecked();
        if (selected)
            PanelStyle::fillRounded(painter, rect(), SettingsView::kTabRadius,
                                    PanelStyle::withOpacity(colors.accent, SettingsView::kTabTintOpacity));
        const QColor ink = selected ? colors.accent : colors.secondary;
        const QFont font = PanelStyle::font(SettingsView::kTabTitleSize, QFont::DemiBold);
        const qreal side = PanelIcons::side(SettingsView::kTabSymbolSize);
        const qreal top = SettingsView::kTabVerticalPadding;
        PanelIcons::paint(painter, QRectF((width() - side) / 2, top, side, side), m_symbol, SettingsView::kTabSymbolSize, ink);
        painter.setPen(ink);
        PanelText::drawFixed(painter, QRectF(0, top + side + SettingsView::kTabLabelSpacing, width(), PanelText::lineHeight(font)),
                             font, m_title, Qt::AlignCenter);
    }

private:
    QString m_symbol;
    QString m_title;
};

} // namespace

SettingsView::SettingsView(PreferencesLink &preferences, PanelController &controller, TarnelUpdater *updater,
                           bool showsHeading, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_controller(controller)
    , m_updater(updater)
    , m_showsHeading(showsHeading)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);
    rebuild();
    // Every text is read once when the widgets are made, so a new language makes them anew
    // (on the same page); a new appearance only repaints.
    connect(&preferences, &PreferencesLink::languageChanged, this, &SettingsView::rebuild, Qt::QueuedConnection);
    connect(
        &preferences, &PreferencesLink::appearanceChanged, this, [this] {
            PanelStyle::applyScheme(this, PanelStyle::schemeFor(m_preferences.appearance()));
        },
        Qt::QueuedConnection);
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(preferences.appearance()));
}

void SettingsView::rebuild()
{
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_tabButtons.clear();
    m_page = nullptr;

    if (m_showsHeading) {
        auto *heading = new ScreenHeading(this);
        heading->setSymbol(QStringLiteral("slider.horizontal.3"));
        heading->setTitle(L10n::text(QStringLiteral("Nastavenia")));
        heading->setDetail(L10n::text(QStringLiteral("Prispôsob si Tarnel")));
        layout->addWidget(heading);
    }
    auto *bar = new QWidget(this);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(kTabSpacing);
    for (const TabLabel &label : kTabs) {
        auto *button = new TabButton(label, bar);
        button->setChecked(label.tab == m_tab);
        connect(button, &QAbstractButton::clicked, this, [this, tab = label.tab] { setTab(tab); });
        barLayout->addWidget(button);
        m_tabButtons.append(button);
    }
    layout->addWidget(bar);

    // The page lies on the window's gradient: the scrolling area paints nothing of its own.
    m_scroll = makePanelScrollArea(this);
    layout->addWidget(m_scroll, 1);
    setTab(m_tab);
}

void SettingsView::setTab(Tab tab)
{
    if (tab == m_tab && m_page)
        return;
    const bool changed = tab != m_tab;
    m_tab = tab;
    for (int i = 0; i < m_tabButtons.size(); ++i)
        m_tabButtons[i]->setChecked(kTabs[std::size_t(i)].tab == tab);
    QWidget *page = makePage(tab);
    m_scroll->setWidget(page); // deletes the previous page
    page->setAutoFillBackground(false);
    m_page = page;
    m_scroll->verticalScrollBar()->setValue(0);
    if (changed)
        Q_EMIT tabChanged(tab);
}

QAbstractButton *SettingsView::tabButton(Tab tab) const
{
    for (int i = 0; i < m_tabButtons.size(); ++i) {
        if (kTabs[std::size_t(i)].tab == tab)
            return m_tabButtons[i];
    }
    return nullptr;
}

QWidget *SettingsView::makePage(Tab tab)
{
    auto *holder = new QWidget;
    auto *layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kPageSpacing);
    switch (tab) {
    case Tab::General:
        layout->addWidget(makeGeneralPage(holder));
        // Updates sit with the other things about the program itself.
        layout->addWidget(new UpdatesSection(m_updater, holder));
        break;
    case Tab::Clipboard:
        layout->addWidget(new ClipboardSettingsPage(m_preferences, holder));
        break;
    case Tab::Screenshots:
        layout->addWidget(makeScreenshotPage(holder));
        break;
    case Tab::Shortcuts:
        layout->addWidget(new ShortcutSettingsPage(m_preferences, m_controller, holder));
        break;
    }
    layout->addStretch(1);
    return holder;
}

// Each page follows the model queued, as every view does: a change runs to its end before the
// page shows it.
GeneralSettingsPage *SettingsView::makeGeneralPage(QWidget *parent)
{
    PreferencesLink &preferences = m_preferences;
    auto *page = new GeneralSettingsPage(preferences.appearance(), preferences.language(), m_controller, parent);

    AppearancePicker *appearance = page->appearancePicker();
    connect(appearance, &AppearancePicker::appearanceChosen, &preferences, &PreferencesLink::setAppearance);
    connect(
        &preferences, &PreferencesLink::appearanceChanged, appearance,
        [appearance, &preferences] { appearance->setAppearance(preferences.appearance()); }, Qt::QueuedConnection);

    LanguagePicker *language = page->languagePicker();
    connect(language, &LanguagePicker::languageChosen, &preferences, &PreferencesLink::setLanguage);
    connect(
        &preferences, &PreferencesLink::languageChanged, language,
        [language, &preferences] { language->setLanguage(preferences.language()); }, Qt::QueuedConnection);

    const auto showLaunch = [page, &preferences] {
        page->setLaunchAtLogin(preferences.launchAtLoginEnabled(), preferences.launchAtLoginIssue());
    };
    // The desktop's answer shows at once, before the switch settles on it.
    connect(page, &GeneralSettingsPage::launchAtLoginToggled, &preferences, [&preferences, showLaunch](bool on) {
        preferences.setLaunchAtLogin(on);
        showLaunch();
    });
    connect(&preferences, &PreferencesLink::launchAtLoginEnabledChanged, page, showLaunch, Qt::QueuedConnection);
    connect(&preferences, &PreferencesLink::launchAtLoginIssueChanged, page, showLaunch, Qt::QueuedConnection);
    showLaunch();
    return page;
}

ScreenshotSettingsPage *SettingsView::makeScreenshotPage(QWidget *parent)
{
    PreferencesLink &preferences = m_preferences;
    auto *page = new ScreenshotSettingsPage(m_controller, parent);
    connect(page, &ScreenshotSettingsPage::automaticCaptureToggled, &preferences, &PreferencesLink::setAutomaticScreenshotCapture);
    const auto show = [page, &preferences] {
        page->setCapture(preferences.automaticScreenshotCapture(), preferences.screenshotFolderPath(), preferences.screenshotCaptureIssue());
    };
    for (auto signal : {&PreferencesLink::automaticScreenshotCaptureChanged, &PreferencesLink::screenshotFolderPathChanged,
                        &PreferencesLink::screenshotCaptureIssueChanged})
        connect(&preferences, signal, page, show, Qt::QueuedConnection);
    show();
    return page;
}

void SettingsView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PanelStyle::fillBackground(painter, rect(), PanelStyle::schemeOf(this));
}
