#include "ui/settings/UpdatesSection.h"

#include "core/L10n.h"
#include "platform/TarnelUpdater.h"
#include "ui/panel/IconTile.h"
#include "ui/settings/SettingsCard.h"
#include "ui/style/PanelButton.h"
#include "ui/tools/ToolText.h"

#include <QBoxLayout>

UpdatesSection::UpdatesSection(TarnelUpdater *updater, QWidget *parent)
    : QWidget(parent), m_updater(updater)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *card = new SettingsCard(Qt::Horizontal, SettingsCard::kPadding, kSpacing, SettingsCard::kRadius, this);
    outer->addWidget(card);
    card->layout()->addWidget(new IconTile(QStringLiteral("arrow.triangle.2.circlepath"), kTileSymbolSize, kTileSide,
                                           kTileRadius, kTileTintOpacity, card));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(new ToolText(L10n::text(QStringLiteral("Aktualizácie")), kTitleSize, QFont::DemiBold,
                                  ToolText::Role::Primary, card));
    // The version as the updater writes it, the same in every language.
    const QString version = updater ? updater->versionLabel() : TarnelUpdater::versionLabelFor(std::nullopt, std::nullopt);
    texts->addWidget(new ToolText(version, kVersionSize, QFont::Normal, ToolText::Role::Secondary, card));
    card->layout()->addLayout(texts, 1);
    m_check = new PanelButton(L10n::text(QStringLiteral("Skontrolovať aktualizácie")), false, kButtonHeight,
                              kButtonPadding, card);
    m_check->setObjectName(QStringLiteral("checkForUpdates"));
    card->layout()->addWidget(m_check);
    m_check->setEnabled(updater && updater->canCheckForUpdates());
    if (updater) {
        connect(updater, &TarnelUpdater::canCheckForUpdatesChanged, m_check, &QWidget::setEnabled, Qt::QueuedConnection);
        connect(m_check, &QAbstractButton::clicked, updater, [this] {
            if (m_updater && m_updater->canCheckForUpdates())
                m_updater->checkForUpdates();
        });
    }
}
