#include "ui/panel/SnippetEditorSheet.h"

#include "core/L10n.h"
#include "ui/panel/CharacterCount.h"
#include "ui/panel/IconTile.h"
#include "ui/panel/SheetKeys.h"
#include "ui/panel/SheetTextBox.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelField.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kPadding = 21;
constexpr int kSpacing = 17;
constexpr int kHeaderSpacing = 11;
constexpr int kTitleSpacing = 3;
constexpr int kIconSide = 38;
constexpr qreal kIconRadius = 11;
constexpr qreal kIconSymbolSize = 15;
constexpr qreal kIconTint = 0.12;
constexpr qreal kTitleSize = 15;
constexpr qreal kSubtitleSize = 10;
constexpr int kFieldsSpacing = 11;
constexpr int kFieldSpacing = 6;
constexpr int kTriggerWidth = 160;
constexpr qreal kLabelSize = 11;
constexpr int kTextAreaSpacing = 7;
constexpr qreal kCountSize = 10;
constexpr qreal kEditorFontSize = 12;
constexpr qreal kEditorRadius = 11;
constexpr int kEditorPadding = 9;
constexpr int kFooterSpacing = 8;
constexpr int kFooterMinimumGap = 8;
constexpr qreal kHintSize = 10;
constexpr int kButtonHeight = 32;
constexpr int kButtonPadding = 12;
constexpr qreal kCloseSymbolSize = 10;

bool hasContent(const QString &text)
{
    return !text.trimmed().isEmpty();
}

QVBoxLayout *labelled(SheetTranslations &texts, SheetTranslations::Text label, QWidget *field, QWidget *parent)
{
    auto *column = new QVBoxLayout;
    column->setSpacing(kFieldSpacing);
    auto *title = new ToolText(QString(), kLabelSize, QFont::Medium, ToolText::Role::Primary, parent);
    texts.label(title, std::move(label));
    column->addWidget(title);
    column->addWidget(field);
    return column;
}

} // namespace

SnippetEditorSheet::SnippetEditorSheet(std::optional<ClipboardSnippet> snippet, std::optional<QString> latestCopiedText,
                                       ClipboardAppearance appearance, Save onSave, QWidget *parent)
    : QWidget(parent)
    , m_snippet(std::move(snippet))
    , m_latestCopiedText(std::move(latestCopiedText))
    , m_onSave(std::move(onSave))
{
    setFixedSize(kSize);
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(appearance));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);

    auto *header = new QHBoxLayout;
    header->setSpacing(kHeaderSpacing);
    header->addWidget(new IconTile(QStringLiteral("keyboard"), kIconSymbolSize, kIconSide, kIconRadius, kIconTint, this));
    auto *titles = new QVBoxLayout;
    titles->setSpacing(kTitleSpacing);
    auto *title = new ToolText(QString(), kTitleSize, QFont::DemiBold, ToolText::Role::Primary, this);
    title->setObjectName(QStringLiteral("title"));
    m_texts.label(title, [editing = m_snippet.has_value()] {
        return editing ? L10n::text(QStringLiteral("Upraviť skratku")) : L10n::text(QStringLiteral("Nová skratka"));
    });
    titles->addWidget(title);
    auto *subtitle = new ToolText(QString(), kSubtitleSize, QFont::Normal, ToolText::Role::Secondary, this);
    m_texts.label(subtitle, [] { return L10n::text(QStringLiteral("Vlastný text môže obsahovať viac riadkov.")); });
    titles->addWidget(subtitle);
    header->addLayout(titles);
    header->addStretch();
    auto *closeButton = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
    closeButton->setObjectName(QStringLiteral("headerClose"));
    closeButton->setSymbol(QStringLiteral("xmark"), kCloseSymbolSize);
    m_texts.help(closeButton, [] { return L10n::text(QStringLiteral("Zavrieť")); });
    header->addWidget(closeButton);
    layout->addLayout(header);

    auto *fields = new QHBoxLayout;
    fields->setSpacing(kFieldsSpacing);
    m_name = new PanelField(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_texts.placeholder(m_name, [] { return L10n::text(QStringLiteral("Napríklad Podpis")); });
    m_trigger = new PanelField(this);
    m_trigger->setObjectName(QStringLiteral("trigger"));
    m_texts.placeholder(m_trigger, [] { return L10n::text(QStringLiteral(";skratka")); });
    fields->addLayout(labelled(m_texts, [] { return L10n::text(QStringLiteral("Názov")); }, m_name, this), 1);
    auto *triggerColumn = new QWidget(this);
    triggerColumn->setFixedWidth(kTriggerWidth);
    QVBoxLayout *triggerLayout = labelled(m_texts, [] { return L10n::text(QStringLiteral("Spúšťací výraz")); }, m_trigger, triggerColumn);
    triggerLayout->setContentsMargins(0, 0, 0, 0);
    triggerColumn->setLayout(triggerLayout);
    fields->addWidget(triggerColumn, 0, Qt::AlignTop);
    layout->addLayout(fields);

    auto *textArea = new QVBoxLayout;
    textArea->setSpacing(kTextAreaSpacing);
    auto *textRow = new QHBoxLayout;
    auto *textLabel = new ToolText(QString(), kLabelSize, QFont::DemiBold, ToolText::Role::Primary, this);
    m_texts.label(textLabel, [] { return L10n::text(QStringLiteral("Text na vloženie")); });
    textRow->addWidget(textLabel);
    textRow->addStretch();
    m_count = new ToolText(QString(), kCountSize, QFont::Medium, ToolText::Role::Muted, this);
    m_count->setObjectName(QStringLiteral("count"));
    textRow->addWidget(m_count);
    textArea->addLayout(textRow);
    m_textBox = new SheetTextBox(kEditorFontSize, kEditorRadius, kEditorPadding, this);
    m_textBox->setObjectName(QStringLiteral("content"));
    m_texts.accessibleName(m_textBox->editor(), [] { return L10n::text(QStringLiteral("Text na vloženie")); });
    textArea->addWidget(m_textBox, 1);
    layout->addLayout(textArea, 1);

    auto *footer = new QHBoxLayout;
    footer->setSpacing(kFooterSpacing);
    m_hint = new ToolText(QString(), kHintSize, QFont::Normal, ToolText::Role::Secondary, this);
    m_hint->setObjectName(QStringLiteral("hint"));
    footer->addWidget(m_hint);
    footer->addStretch(1);
    footer->addSpacing(kFooterMinimumGap);
    if (m_latestCopiedText && !m_latestCopiedText->isEmpty()) {
        auto *latest = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
        m_texts.button(latest, [] { return L10n::text(QStringLiteral("Použiť poslednú kópiu")); });
        latest->setObjectName(QStringLiteral("useLatestCopy"));
        footer->addWidget(latest);
        connect(latest, &QAbstractButton::clicked, this, &SnippetEditorSheet::useLatestCopy);
    }
    auto *cancelButton = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
    m_texts.button(cancelButton, [] { return L10n::text(QStringLiteral("Zrušiť")); });
    cancelButton->setObjectName(QStringLiteral("cancel"));
    footer->addWidget(cancelButton);
    m_saveButton = new PanelButton(QString(), true, kButtonHeight, kButtonPadding, this);
    m_texts.button(m_saveButton, [editing = m_snippet.has_value()] {
        return editing ? L10n::text(QStringLiteral("Uložiť zmeny")) : L10n::text(QStringLiteral("Vytvoriť"));
    });
    m_saveButton->setObjectName(QStringLiteral("save"));
    footer->addWidget(m_saveButton);
    layout->addLayout(footer);

    if (m_snippet) {
        m_name->setText(m_snippet->name);
        m_trigger->setText(m_snippet->trigger);
        m_textBox->setText(m_snippet->text);
    }

    connect(closeButton, &QAbstractButton::clicked, this, &SnippetEditorSheet::close);
    connect(cancelButton, &QAbstractButton::clicked, this, &SnippetEditorSheet::close);
    connect(m_saveButton, &QAbstractButton::clicked, this, &SnippetEditorSheet::save);
    connect(m_name, &QLineEdit::textChanged, this, &SnippetEditorSheet::refresh);
    connect(m_textBox, &SheetTextBox::textChanged, this, &SnippetEditorSheet::refresh);
    refresh();
}

QString SnippetEditorSheet::name() const
{
    return m_name->text();
}

QString SnippetEditorSheet::trigger() const
{
    return m_trigger->text();
}

QString SnippetEditorSheet::content() const
{
    return m_textBox->text();
}

bool SnippetEditorSheet::canSave() const
{
    return hasContent(name()) && hasContent(content());
}

void SnippetEditorSheet::retranslate()
{
    m_texts.apply();
    refresh();
}

void SnippetEditorSheet::close()
{
    Q_EMIT closeRequested();
}

void SnippetEditorSheet::save()
{
    if (!canSave())
        return;
    // The fields go as typed: trimming and the duplicate check are the model's. A refusal stays
    // shown whatever is typed next, until a save is accepted.
    m_saveError = !(m_onSave && m_onSave(name(), trigger(), content()));
    refresh();
}

void SnippetEditorSheet::useLatestCopy()
{
    if (m_latestCopiedText && !m_latestCopiedText->isEmpty())
        m_textBox->setText(*m_latestCopiedText);
}

void SnippetEditorSheet::refresh()
{
    m_count->setText(CharacterCount::label(CharacterCount::of(content())));
    m_saveButton->setEnabled(canSave());
    if (m_saveError) {
        m_hint->setText(L10n::text(QStringLiteral("Táto skratka už existuje.")));
        m_hint->setRole(ToolText::Role::Error);
    } else {
        m_hint->setText(L10n::text(QStringLiteral("Riadky a medzery sa pri vložení zachovajú.")));
        m_hint->setRole(ToolText::Role::Secondary);
    }
}

void SnippetEditorSheet::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
}

void SnippetEditorSheet::keyPressEvent(QKeyEvent *event)
{
    // No default action here: Return in a field does nothing, in the text area it breaks the line.
    switch (SheetKeys::actionFor(*event)) {
    case SheetKeys::Action::Cancel:
        close();
        return;
    case SheetKeys::Action::Save:
        save();
        return;
    case SheetKeys::Action::Default:
        event->accept();
        return;
    case SheetKeys::Action::None:
        break;
    }
    QWidget::keyPressEvent(event);
}

void SnippetEditorSheet::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!focusWidget())
        m_name->setFocus(Qt::OtherFocusReason);
}
