#include "ui/settings/ShortcutSettingsPage.h"

#include "core/AppShortcut.h"
#include "core/L10n.h"
#include "engine/PreferencesLink.h"
#include "ui/PanelController.h"
#include "ui/settings/SettingsCard.h"
#include "ui/style/PanelButton.h"
#include "ui/style/ShortcutBadge.h"
#include "ui/tools/ToolText.h"

#include <QBoxLayout>

namespace {

struct ShortcutLine {
    const char *title;
    AppShortcut shortcut;
};

// The order the page lists them in: opening first, then the Paste Stack, then private copy.
constexpr std::array<ShortcutLine, 5> kShortcutLines{{
    {"Otvoriť históriu", AppShortcut::history},
    {"Otvoriť Quick Access", AppShortcut::pasteAs},
    {"Vložiť ďalšiu položku zo Stacku", AppShortcut::pasteNextFromStack},
    {"Skopírovať do Paste Stack", AppShortcut::pasteStack},
    {"Súkromná kópia", AppShortcut::privateCopy},
}};

constexpr qreal kShortcutTitleSize = 10;

QWidget *shortcutRow(const QString &title, const QString &keys, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *text = new ToolText(title, kShortcutTitleSize, QFont::Normal, ToolText::Role::Secondary, row);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    layout->addWidget(new ShortcutBadge(keys, row));
    return row;
}

} // namespace

ShortcutSettingsPage::ShortcutSettingsPage(PreferencesLink &preferences, PanelController &controller, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(kSpacing);

    auto *card = new SettingsCard(Qt::Vertical, SettingsCard::kPadding, kCardSpacing, SettingsCard::kRadius, this);
    m_card = card;
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(6);
    titleRow->addWidget(ToolText::symbol(QStringLiteral("lock.open"), kTitleSize, ToolText::Role::Primary, card));
    titleRow->addWidget(new ToolText(L10n::text(QStringLiteral("Povoliť vkladanie do aplikácií")), kTitleSize,
                                     QFont::DemiBold, ToolText::Role::Primary, card), 1);
    card->layout()->addItem(titleRow);
    m_explanation = new ToolText(QString(), kTextSize, QFont::Normal, ToolText::Role::Secondary, card);
    m_explanation->setWordWrap(true);
    card->layout()->addWidget(m_explanation);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonSpacing);
    m_keySending = new PanelButton(L10n::text(QStringLiteral("Prečo nemôže vkladať")), true, kButtonHeight,
                                   kButtonPadding, card);
    m_keyWatch = new PanelButton(L10n::text(QStringLiteral("Prečo nevidí klávesy")), true, kButtonHeight, kButtonPadding,
                                 card);
    buttons->addWidget(m_keySending);
    buttons->addWidget(m_keyWatch);
    buttons->addStretch();
    card->layout()->addItem(buttons);
    page->addWidget(card);
    connect(m_keySending, &QAbstractButton::clicked, &controller, [&controller] { controller.openAccessibilitySettings(); });
    connect(m_keyWatch, &QAbstractButton::clicked, &controller, [&controller] { controller.requestInputMonitoringAccess(); });

    m_warning = new ToolText(QString(), kTextSize, QFont::Normal, ToolText::Role::Warning, this);
    m_warning->setWordWrap(true);
    page->addWidget(m_warning);

    m_statusRow = new QWidget(this);
    auto *status = new QHBoxLayout(m_statusRow);
    status->setContentsMargins(kLineHorizontalPadding, 0, kLineHorizontalPadding, 0);
    status->setSpacing(4);
    m_statusSymbol = ToolText::symbol(QStringLiteral("info.circle"), kTextSize, ToolText::Role::Warning, m_statusRow);
    status->addWidget(m_statusSymbol, 0, Qt::AlignTop);
    m_status = new ToolText(QString(), kTextSize, QFont::Normal, ToolText::Role::Warning, m_statusRow);
    m_status->setWordWrap(true);
    status->addWidget(m_status, 1);
    page->addWidget(m_statusRow);

    // Ready or not, the shortcuts and paste never reach Wayland applications: said at all times.
    m_session = new ToolText(QString(), kTextSize, QFont::Normal, ToolText::Role::Secondary, this);
    m_session->setWordWrap(true);
    m_session->setContentsMargins(kLineHorizontalPadding, 0, kLineHorizontalPadding, 0);
    page->addWidget(m_session);

    auto *list = new SettingsCard(Qt::Vertical, SettingsCard::kPadding, kRowSpacing, SettingsCard::kRadius, this);
    for (const ShortcutLine &line : kShortcutLines)
        list->layout()->addWidget(shortcutRow(L10n::text(QString::fromUtf8(line.title)), line.shortcut.label(), list));
    page->addWidget(list);

    for (auto signal : {&PreferencesLink::pasteMonitoringEnabledChanged, &PreferencesLink::accessibilityPermissionEnabledChanged,
                        &PreferencesLink::inputMonitoringPermissionEnabledChanged,
                        &PreferencesLink::unavailableShortcutsChanged, &PreferencesLink::layoutSwitchShortcutsChanged,
                        &PreferencesLink::shortcutNoticeChanged})
        connect(&preferences, signal, this, &ShortcutSettingsPage::refresh, Qt::QueuedConnection);
    refresh();
}

bool ShortcutSettingsPage::isPermissionCardShown() const
{
    return !m_card->isHidden();
}

QString ShortcutSettingsPage::warningText() const
{
    return m_warning->isHidden() ? QString() : m_warning->text();
}

QString ShortcutSettingsPage::statusText() const
{
    return m_status->text();
}

QString ShortcutSettingsPage::sessionText() const
{
    return m_session->isHidden() ? QString() : m_session->text();
}

void ShortcutSettingsPage::refresh()
{
    const bool canSend = m_preferences.accessibilityPermissionEnabled();
    const bool canWatch = m_preferences.inputMonitoringPermissionEnabled();
    const bool ready = m_preferences.pasteMonitoringEnabled() && canSend;
    m_card->setVisible(!ready);
    const std::optional<QString> notice = m_preferences.shortcutNotice();
    m_explanation->setText(notice ? L10n::text(*notice)
                                  : L10n::text(QStringLiteral("Skratky pri písaní a automatické vkladanie potrebujú "
                                                              "reláciu X11 s rozšírením XTest. V relácii Wayland nefungujú.")));
    m_keySending->setVisible(!canSend);
    m_keySending->setProminent(!canWatch);
    m_keyWatch->setVisible(!canWatch);

    const QStringList unavailable = m_preferences.unavailableShortcuts();
    const QStringList layoutSwitch = m_preferences.layoutSwitchShortcuts();
    QStringList warnings;
    // Only the placeholder is replaced: a shortcut text with "%" in it stays as it is.
    if (!unavailable.isEmpty()) {
        QString warning = L10n::text(QStringLiteral("Tieto skratky sa nepodarilo zaregistrovať: %@. Môže ich používať iná aplikácia."));
        warnings.append(warning.replace(QStringLiteral("%@"), unavailable.join(QStringLiteral(", "))));
    }
    // The keys never reach Tarnel: the user is told where the switch that takes them is set.
    if (!layoutSwitch.isEmpty()) {
        QString warning = L10n::text(QStringLiteral(
            "Skratky %@ zachytí prepínanie rozloženia klávesnice skôr, než sa dostanú k Tarnelu. Prepínanie "
            "sa nastavuje v nastaveniach klávesnice systému (voľby XKB, napríklad grp:alt_shift_toggle)."));
        warnings.append(warning.replace(QStringLiteral("%@"), layoutSwitch.join(QStringLiteral(", "))));
    }
    m_warning->setText(warnings.join(QLatin1Char(' ')));
    m_warning->setVisible(!warnings.isEmpty());

    m_status->setText(ready ? L10n::text(QStringLiteral("Automatické vkladanie a textové skratky sú aktívne"))
                            : L10n::text(QStringLiteral("Automatické vkladanie čaká na povolenie.")));
    const ToolText::Role role = ready ? ToolText::Role::Accent : ToolText::Role::Warning;
    m_status->setRole(role);
    m_statusSymbol->setRole(role);
    m_statusSymbol->setSymbol(ready ? QStringLiteral("checkmark.circle") : QStringLiteral("info.circle"));

    const QString limits = m_preferences.sessionLimitsNotice();
    m_session->setText(limits.isEmpty() ? QString() : L10n::text(limits));
    m_session->setVisible(!limits.isEmpty());
}
