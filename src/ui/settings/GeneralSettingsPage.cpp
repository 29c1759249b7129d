#include "ui/settings/GeneralSettingsPage.h"

#include "core/L10n.h"
#include "ui/PanelController.h"
#include "ui/panel/IconTile.h"
#include "ui/settings/AppearancePicker.h"
#include "ui/settings/LanguagePicker.h"
#include "ui/settings/PresentationModePicker.h"
#include "ui/settings/SettingToggle.h"
#include "ui/settings/SettingsCard.h"
#include "ui/style/PanelButton.h"
#include "ui/tools/ToolText.h"

#include <QBoxLayout>

GeneralSettingsPage::GeneralSettingsPage(ClipboardAppearance appearance, AppLanguage language,
                                         PanelController &controller, QWidget *parent)
    : QWidget(parent)
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(kSpacing);

    auto *guide = new SettingsCard(Qt::Horizontal, SettingsCard::kPadding, 10, SettingsCard::kRadius, this);
    guide->layout()->addWidget(new IconTile(QStringLiteral("sparkles.rectangle.stack"), kTileSymbolSize, kTileSide,
                                            kTileRadius, kTileTintOpacity, guide));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(new ToolText(L10n::text(QStringLiteral("Sprievodca nastavením")), kTitleSize, QFont::DemiBold,
                                  ToolText::Role::Primary, guide));
    auto *line = new ToolText(L10n::text(QStringLiteral("Povolenia, screenshoty a tvoje preferencie na jednom mieste.")),
                              kLineSize, QFont::Normal, ToolText::Role::Secondary, guide);
    line->setWordWrap(true);
    texts->addWidget(line);
    guide->layout()->addLayout(texts, 1);
    auto *open = new PanelButton(L10n::text(QStringLiteral("Otvoriť")), false, kButtonHeight, kButtonPadding, guide);
    open->setObjectName(QStringLiteral("openGuide"));
    connect(open, &QAbstractButton::clicked, &controller, [&controller] { controller.showOnboarding(); });
    guide->layout()->addWidget(open);
    page->addWidget(guide);

    auto addPicker = [&](QWidget *picker) {
        auto *card = new SettingsCard(Qt::Vertical, SettingsCard::kPadding, kPickerSpacing, SettingsCard::kPickerRadius, this);
        picker->setParent(card);
        card->layout()->addWidget(picker);
        page->addWidget(card);
    };
    m_appearance = new AppearancePicker(appearance);
    addPicker(m_appearance);
    m_language = new LanguagePicker(language);
    addPicker(m_language);
    addPicker(new PresentationModePicker(controller));
    // Menu-bar mode without a tray host keeps the panel at the top edge; the user is told why.
    m_trayNote = new ToolText(L10n::text(QStringLiteral("Systémová lišta nie je dostupná, preto Tarnel aj v tomto režime "
                                                        "zostáva pri hornom okraji obrazovky.")),
                              kLineSize, QFont::Normal, ToolText::Role::Warning, this);
    m_trayNote->setWordWrap(true);
    m_trayNote->setContentsMargins(kIssueHorizontalPadding, 0, kIssueHorizontalPadding, 0);
    page->addWidget(m_trayNote);
    const auto showTrayNote = [this, &controller] { m_trayNote->setVisible(controller.isPanelStandingInForTray()); };
    connect(&controller, &PanelController::presentationModeChanged, this, showTrayNote, Qt::QueuedConnection);
    connect(&controller, &PanelController::trayAvailabilityChanged, this, showTrayNote, Qt::QueuedConnection);
    showTrayNote();

    auto *launchCard = new SettingsCard(Qt::Vertical, 0, 0, SettingsCard::kRadius, this);
    m_launch = new SettingToggle(L10n::text(QStringLiteral("Spustiť po prihlásení")),
                                 L10n::text(QStringLiteral("Tarnel sa otvorí po prihlásení do počítača")),
                                 QStringLiteral("power"), launchCard);
    launchCard->layout()->addWidget(m_launch);
    page->addWidget(launchCard);
    // The switch never sets the flag itself: it shows what the owner reports the desktop now
    // holds, so a refused change flips it back.
    connect(m_launch, &SettingToggle::toggled, this, [this](bool on) {
        Q_EMIT launchAtLoginToggled(on);
        showLaunchAtLogin();
    });

    m_issue = new ToolText(QString(), kLineSize, QFont::Normal, ToolText::Role::Warning, this);
    m_issue->setWordWrap(true);
    m_issue->setContentsMargins(kIssueHorizontalPadding, 0, kIssueHorizontalPadding, 0);
    page->addWidget(m_issue);
    showLaunchAtLogin();
}

void GeneralSettingsPage::setLaunchAtLogin(bool enabled, const std::optional<QString> &issue)
{
    m_launchEnabled = enabled;
    m_launchIssue = issue;
    showLaunchAtLogin();
}

void GeneralSettingsPage::showLaunchAtLogin()
{
    m_launch->setValue(m_launchEnabled);
    // Why the login item refused, in the interface's language.
    m_issue->setText(m_launchIssue ? L10n::text(*m_launchIssue) : QString());
    m_issue->setVisible(m_launchIssue.has_value());
}
