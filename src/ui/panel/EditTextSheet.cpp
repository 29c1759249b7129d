#include "ui/panel/SheetColumn.h"
#include "ui/panel/EditTextSheet.h"

#include "core/L10n.h"
#include "ui/panel/CharacterCount.h"
#include "ui/panel/IconTile.h"
#include "ui/panel/SheetKeys.h"
#include "ui/panel/SheetTextBox.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelClock.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kPadding = 22;
constexpr int kHeaderSpacing = 12;
constexpr int kTitleSpacing = 5;
constexpr int kMetaTopPadding = 2;
constexpr int kIconSide = 40;
constexpr qreal kIconRadius = 12;
constexpr qreal kIconSymbolSize = 16;
constexpr qreal kIconTint = 0.11;
constexpr qreal kTitleSize = 16;
constexpr qreal kSubtitleSize = 11;
constexpr qreal kMetaSize = 10;
constexpr int kDividerMargin = 18;
constexpr qreal kLabelSize = 11;
constexpr qreal kCountSize = 10;
constexpr int kContentRowBottom = 9;
constexpr qreal kEditorFontSize = 13;
constexpr qreal kEditorRadius = 12;
constexpr int kEditorPadding = 10;
constexpr int kFooterTop = 18;
constexpr int kFooterSpacing = 8;
constexpr int kFooterMinimumGap = 12;
constexpr qreal kHintSize = 10;
constexpr int kHintLines = 2;
constexpr int kButtonHeight = 32;
constexpr int kButtonPadding = 12;
constexpr qreal kCloseSymbolSize = 10;

} // namespace

EditTextSheet::EditTextSheet(ClipboardEntry entry, const QString &text, ClipboardAppearance appearance, Save onSave,
                             QWidget *parent)
    : EditorSheet(parent)
    , m_entry(std::move(entry))
    , m_onSave(std::move(onSave))
{
    setFixedSize(kSize);
    QVBoxLayout *layout = sheetColumn(this, appearance, kPadding, 0);

    auto *header = new QHBoxLayout;
    header->setSpacing(kHeaderSpacing);
    header->addWidget(new IconTile(QStringLiteral("square.and.pencil"), kIconSymbolSize, kIconSide, kIconRadius,
                                   kIconTint, this),
                      0, Qt::AlignTop);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(kTitleSpacing);
    auto *title = new ToolText(QString(), kTitleSize, QFont::DemiBold, ToolText::Role::Primary, this);
    title->setObjectName(QStringLiteral("title"));
    m_texts.label(title, [] { return L10n::text(QStringLiteral("Upraviť pred vložením")); });
    titles->addWidget(title);
    auto *subtitle = new ToolText(QString(), kSubtitleSize, QFont::Normal, ToolText::Role::Secondary, this);
    m_texts.label(subtitle, [] { return L10n::text(QStringLiteral("Uprav text a potom ho ulož alebo vlož na miesto kurzora.")); });
    titles->addWidget(subtitle);
    titles->addSpacing(kMetaTopPadding);
    // Where and when it was copied are data: shown as they are, not translated.
    auto *meta = new ToolText(m_entry.sourceAppLabel() + QStringLiteral(" · ") + m_entry.copiedAtLabel(PanelClock::now()),
                              kMetaSize, QFont::Normal, ToolText::Role::Muted, this);
    meta->setObjectName(QStringLiteral("meta"));
    titles->addWidget(meta);
    header->addLayout(titles);
    header->addStretch();
    PanelButton *closeButton = headerCloseButton(kButtonHeight, kButtonPadding, kCloseSymbolSize);
    header->addWidget(closeButton, 0, Qt::AlignTop);
    layout->addLayout(header);

    layout->addSpacing(kDividerMargin);
    m_divider = new QWidget(this);
    m_divider->setFixedHeight(1);
    layout->addWidget(m_divider);
    layout->addSpacing(kDividerMargin);

    layout->addLayout(labelWithCount([] { return L10n::text(QStringLiteral("Obsah položky")); }, kLabelSize,
                                     kCountSize, m_count));
    layout->addSpacing(kContentRowBottom);

    m_textBox = new SheetTextBox(kEditorFontSize, kEditorRadius, kEditorPadding, this);
    m_textBox->setObjectName(QStringLiteral("editor"));
    m_texts.accessibleName(m_textBox->editor(), [] { return L10n::text(QStringLiteral("Obsah položky")); });
    m_textBox->setText(text);
    layout->addWidget(m_textBox, 1);

    layout->addSpacing(kFooterTop);
    auto *footer = new QHBoxLayout;
    footer->setSpacing(kFooterSpacing);
    m_hint = new ToolText(QString(), kHintSize, QFont::Normal, ToolText::Role::Secondary, this);
    m_hint->setObjectName(QStringLiteral("hint"));
    m_hint->setWordWrap(true);
    m_hint->setMaximumHeight(kHintLines * m_hint->fontMetrics().lineSpacing());
    footer->addWidget(m_hint, 1);
    footer->addSpacing(kFooterMinimumGap);
    auto *cancelButton = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
    m_texts.button(cancelButton, [] { return L10n::text(QStringLiteral("Zrušiť")); });
    cancelButton->setObjectName(QStringLiteral("cancel"));
    footer->addWidget(cancelButton);
    m_saveButton = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
    m_texts.button(m_saveButton, [] { return L10n::text(QStringLiteral("Uložiť zmeny")); });
    m_saveButton->setObjectName(QStringLiteral("save"));
    footer->addWidget(m_saveButton);
    m_pasteButton = new PanelButton(QString(), true, kButtonHeight, kButtonPadding, this);
    m_texts.button(m_pasteButton, [] { return L10n::text(QStringLiteral("Vložiť text")); });
    m_texts.toolTip(m_pasteButton, [] { return L10n::text(QStringLiteral("Vložiť upravený text na miesto kurzora (Ctrl+Return)")); });
    m_pasteButton->setObjectName(QStringLiteral("paste"));
    footer->addWidget(m_pasteButton);
    layout->addLayout(footer);

    connect(closeButton, &QAbstractButton::clicked, this, &EditTextSheet::close);
    connect(cancelButton, &QAbstractButton::clicked, this, &EditTextSheet::close);
    connect(m_saveButton, &QAbstractButton::clicked, this, &EditTextSheet::save);
    connect(m_pasteButton, &QAbstractButton::clicked, this, &EditTextSheet::paste);
    connect(m_textBox, &SheetTextBox::textChanged, this, [this](const QString &changed) {
        refresh();
        Q_EMIT textChanged(changed);
    });
    refresh();
}

QString EditTextSheet::text() const
{
    return m_textBox->text();
}

bool EditTextSheet::canSave() const
{
    const QString current = text();
    return !current.isEmpty() && current != m_entry.text;
}

void EditTextSheet::close()
{
    Q_EMIT closeRequested();
}

void EditTextSheet::save()
{
    if (!canSave())
        return;
    // A refusal is remembered until a save succeeds, which closes the sheet anyway.
    if (m_onSave && m_onSave(text()))
        return;
    m_saveRefused = true;
    refresh();
}

void EditTextSheet::paste()
{
    const QString current = text();
    if (!current.isEmpty())
        Q_EMIT pasteRequested(current);
}

void EditTextSheet::refresh()
{
    m_count->setText(CharacterCount::label(CharacterCount::of(text())));
    m_saveButton->setEnabled(canSave());
    m_pasteButton->setEnabled(!text().isEmpty());
    if (m_saveRefused) {
        // A file entry keeps its files; any other entry refuses only once it has left the history.
        m_hint->setText(m_entry.kind == ClipboardKind::File
                            ? L10n::text(QStringLiteral("Súbory sa nedajú prepísať textom. Úprava ostala tu, môžeš ju vložiť."))
                            : L10n::text(QStringLiteral("Položka už nie je v Histórii. Úprava ostala tu, môžeš ju vložiť.")));
        m_hint->setRole(ToolText::Role::Error);
    } else {
        m_hint->setText(L10n::text(QStringLiteral("Úpravy sa uložia do tejto položky v Histórii.")));
        m_hint->setRole(ToolText::Role::Secondary);
    }
}

void EditTextSheet::paintEvent(QPaintEvent *event)
{
    EditorSheet::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(m_divider->geometry(), PanelStyle::colors(this).divider);
}

bool EditTextSheet::saveKey()
{
    save();
    return true;
}

void EditTextSheet::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The editor has the keyboard as soon as the sheet opens.
    m_textBox->setFocus(Qt::OtherFocusReason);
}
