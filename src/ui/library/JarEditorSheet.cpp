#include "ui/library/JarEditorSheet.h"

#include "core/L10n.h"
#include "ui/panel/IconTile.h"
#include "ui/panel/SheetKeys.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelField.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kPadding = 22;
constexpr int kSpacing = 15;
constexpr int kHeaderSpacing = 11;
constexpr int kTitleSpacing = 3;
constexpr int kIconSide = 40;
constexpr qreal kIconRadius = 12;
constexpr qreal kIconSymbolSize = 17;
constexpr qreal kIconTint = 0.1;
constexpr qreal kTitleSize = 15;
constexpr qreal kSmallSize = 10;
constexpr int kButtonSpacing = 8;
constexpr int kButtonHeight = 32;
constexpr int kButtonPadding = 12;

} // namespace

JarEditorSheet::JarEditorSheet(const QString &initialName, ClipboardAppearance appearance, Save onSave, QWidget *parent)
    : QWidget(parent)
    , m_initialName(initialName)
    , m_onSave(std::move(onSave))
{
    setFixedSize(kSize);
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(appearance));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);
    layout->addStretch(1);

    auto *header = new QHBoxLayout;
    header->setSpacing(kHeaderSpacing);
    header->addWidget(new IconTile(QStringLiteral("archivebox.fill"), kIconSymbolSize, kIconSide, kIconRadius, kIconTint, this));
    auto *titles = new QVBoxLayout;
    titles->setSpacing(kTitleSpacing);
    auto *title = new ToolText(QString(), kTitleSize, QFont::DemiBold, ToolText::Role::Primary, this);
    title->setObjectName(QStringLiteral("title"));
    m_texts.label(title, [creating = isCreating()] {
        return creating ? L10n::text(QStringLiteral("Vytvoriť Jar")) : L10n::text(QStringLiteral("Premenovať Jar"));
    });
    titles->addWidget(title);
    auto *subtitle = new ToolText(QString(), kSmallSize, QFont::Normal, ToolText::Role::Secondary, this);
    m_texts.label(subtitle, [] { return L10n::text(QStringLiteral("Jar udrží súvisiace položky pokope.")); });
    titles->addWidget(subtitle);
    header->addLayout(titles);
    header->addStretch();
    layout->addLayout(header);

    m_field = new PanelField(this);
    m_field->setObjectName(QStringLiteral("name"));
    m_texts.placeholder(m_field, [] { return L10n::text(QStringLiteral("Názov Jaru")); });
    m_field->setText(initialName);
    layout->addWidget(m_field);

    m_error = new ToolText(QString(), kSmallSize, QFont::Normal, ToolText::Role::Warning, this);
    m_texts.label(m_error, [] { return L10n::text(QStringLiteral("Zadaj jedinečný názov Jaru.")); });
    m_error->setObjectName(QStringLiteral("error"));
    layout->addWidget(m_error);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonSpacing);
    auto *cancelButton = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
    m_texts.button(cancelButton, [] { return L10n::text(QStringLiteral("Zrušiť")); });
    cancelButton->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    m_saveButton = new PanelButton(QString(), true, kButtonHeight, kButtonPadding, this);
    m_texts.button(m_saveButton, [creating = isCreating()] {
        return creating ? L10n::text(QStringLiteral("Vytvoriť")) : L10n::text(QStringLiteral("Uložiť"));
    });
    m_saveButton->setObjectName(QStringLiteral("save"));
    buttons->addWidget(m_saveButton);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(cancelButton, &QAbstractButton::clicked, this, &JarEditorSheet::cancel);
    connect(m_saveButton, &QAbstractButton::clicked, this, &JarEditorSheet::submit);
    connect(m_field, &QLineEdit::returnPressed, this, &JarEditorSheet::submit);
    connect(m_field, &QLineEdit::textChanged, this, &JarEditorSheet::refresh);
    refresh();
}

QString JarEditorSheet::name() const
{
    return m_field->text();
}

void JarEditorSheet::submit()
{
    // The name goes as typed; trimming and the uniqueness check are the model's. Typing does
    // not clear the error: only the next answer does.
    m_hasNameError = !(m_onSave && m_onSave(name()));
    refresh();
}

void JarEditorSheet::retranslate()
{
    m_texts.apply();
}

void JarEditorSheet::cancel()
{
    Q_EMIT cancelRequested();
}

void JarEditorSheet::refresh()
{
    m_saveButton->setEnabled(!name().trimmed().isEmpty());
    m_error->setVisible(m_hasNameError);
}

void JarEditorSheet::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
}

void JarEditorSheet::keyPressEvent(QKeyEvent *event)
{
    switch (SheetKeys::actionFor(*event)) {
    case SheetKeys::Action::Cancel:
        cancel();
        return;
    case SheetKeys::Action::Default:
        // The field submits on its own Return (also with an empty name); the default button
        // takes Return from elsewhere in the sheet, and only while it is enabled.
        if (focusWidget() != m_field && m_saveButton->isEnabled())
            submit();
        return;
    case SheetKeys::Action::Save:
    case SheetKeys::Action::None:
        break;
    }
    QWidget::keyPressEvent(event);
}

void JarEditorSheet::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_field->setFocus(Qt::OtherFocusReason);
    m_field->selectAll();
}
