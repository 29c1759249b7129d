#include "ui/settings/ScreenshotSettingsPage.h"

#include "core/L10n.h"
#include "ui/PanelController.h"
#include "ui/settings/SettingToggle.h"
#include "ui/settings/SettingsCard.h"
#include "ui/style/PanelButton.h"
#include "ui/tools/ToolText.h"

#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>

ScreenshotSettingsPage::ScreenshotSettingsPage(PanelController &controller, QWidget *parent)
    : QWidget(parent)
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(kSpacing);

    auto *card = new SettingsCard(Qt::Vertical, 0, 0, SettingsCard::kRadius, this);
    m_import = new SettingToggle(L10n::text(QStringLiteral("Automatické pridávanie screenshotov")), QString(),
                                 QStringLiteral("camera.viewfinder"), card);
    card->layout()->addWidget(m_import);
    card->layout()->addWidget(SettingsCard::divider(card));
    connect(m_import, &SettingToggle::toggled, this, &ScreenshotSettingsPage::automaticCaptureToggled);

    auto *folder = new QWidget(card);
    auto *row = new QHBoxLayout(folder);
    row->setContentsMargins(SettingsCard::kPadding, SettingsCard::kPadding, SettingsCard::kPadding, SettingsCard::kPadding);
    row->setSpacing(kFolderSpacing);
    row->addWidget(ToolText::symbol(QStringLiteral("folder"), kFolderSymbolSize, ToolText::Role::Secondary, folder));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    m_name = new ToolText(QString(), kNameSize, QFont::Medium, ToolText::Role::Primary, folder);
    auto *caption = new ToolText(L10n::text(QStringLiteral("Priečinok so snímkami obrazovky")), kCaptionSize,
                                 QFont::Normal, ToolText::Role::Secondary, folder);
    caption->setWordWrap(true);
    texts->addWidget(m_name);
    texts->addWidget(caption);
    row->addLayout(texts, 1);
    m_choose = new PanelButton(QString(), true, kButtonHeight, kButtonPadding, folder);
    m_choose->setObjectName(QStringLiteral("chooseScreenshotFolder"));
    connect(m_choose, &QAbstractButton::clicked, &controller, [&controller] { controller.chooseScreenshotFolder(); });
    row->addWidget(m_choose);
    card->layout()->addWidget(folder);
    page->addWidget(card);

    m_issueRow = new QWidget(this);
    auto *issue = new QHBoxLayout(m_issueRow);
    issue->setContentsMargins(kIssueHorizontalPadding, 0, kIssueHorizontalPadding, 0);
    issue->setSpacing(4);
    issue->addWidget(ToolText::symbol(QStringLiteral("info.circle"), kCaptionSize, ToolText::Role::Warning, m_issueRow),
                     0, Qt::AlignTop);
    m_issue = new ToolText(QString(), kCaptionSize, QFont::Normal, ToolText::Role::Warning, m_issueRow);
    m_issue->setWordWrap(true);
    issue->addWidget(m_issue, 1);
    page->addWidget(m_issueRow);
    setCapture(false, std::nullopt, std::nullopt);
}

QString ScreenshotSettingsPage::folderName() const
{
    return m_name->text();
}

QString ScreenshotSettingsPage::issueText() const
{
    return m_issueRow->isHidden() ? QString() : m_issue->text();
}

void ScreenshotSettingsPage::setCapture(bool capturing, const std::optional<QString> &folder,
                                        const std::optional<QString> &issue)
{
    m_import->setTexts(L10n::text(QStringLiteral("Automatické pridávanie screenshotov")),
                       capturing ? L10n::text(QStringLiteral("Nové snímky sa pridajú do sekcie Screenshots"))
                                 : L10n::text(QStringLiteral("Pridávať snímky uložené ako súbor")));
    m_import->setValue(capturing);
    m_import->setEnabled(folder.has_value());
    // The folder's own name, never translated.
    m_name->setText(folder ? QFileInfo(QDir::cleanPath(*folder)).fileName()
                           : L10n::text(QStringLiteral("Priečinok nie je vybraný")));
    m_choose->setTitle(folder ? L10n::text(QStringLiteral("Zmeniť")) : L10n::text(QStringLiteral("Vybrať")));
    m_choose->setProminent(!folder.has_value());
    m_issue->setText(issue ? L10n::text(*issue) : QString());
    m_issueRow->setVisible(issue.has_value());
}
