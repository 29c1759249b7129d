#include "ui/settings/ClipboardSettingsPage.h"

#include "core/L10n.h"
#include "engine/PreferencesLink.h"
#include "ui/library/SectionHeading.h"
#include "ui/settings/MenuPicker.h"
#include "ui/settings/SettingToggle.h"
#include "ui/settings/SettingsCard.h"
#include "ui/tools/ToolText.h"

#include <QBoxLayout>

namespace {

QWidget *pickerRow(const QString &label, MenuPicker *picker, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(SettingsCard::kPadding, SettingsCard::kPadding, SettingsCard::kPadding,
                               SettingsCard::kPadding);
    auto *text = new ToolText(label, ClipboardSettingsPage::kLabelSize, QFont::Normal, ToolText::Role::Primary, row);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    picker->setParent(row);
    layout->addWidget(picker);
    return row;
}

} // namespace

ClipboardSettingsPage::ClipboardSettingsPage(PreferencesLink &preferences, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(kSpacing);

    page->addWidget(new GroupHeading(L10n::text(QStringLiteral("Nastavenia schránky")), QString(), this));
    auto *capture = new SettingsCard(Qt::Vertical, 0, 0, SettingsCard::kRadius, this);
    m_recording = new SettingToggle(L10n::text(QStringLiteral("Sledovanie schránky")),
                                    L10n::text(QStringLiteral("Nové kópie ukladať do histórie")),
                                    QStringLiteral("doc.on.clipboard"), capture);
    m_private = new SettingToggle(L10n::text(QStringLiteral("Súkromný režim")),
                                  L10n::text(QStringLiteral("Dočasne neukladať žiadny obsah")), QStringLiteral("lock"),
                                  capture);
    capture->layout()->addWidget(m_recording);
    capture->layout()->addWidget(SettingsCard::divider(capture));
    capture->layout()->addWidget(m_private);
    page->addWidget(capture);
    connect(m_recording, &SettingToggle::toggled, &preferences, &PreferencesLink::setIsRecording);
    connect(m_private, &SettingToggle::toggled, &preferences, &PreferencesLink::setIsPrivateMode);

    // The feature's own name, the same in every language.
    page->addWidget(new GroupHeading(QStringLiteral("Paste Stack"), QString(), this));
    auto *stack = new SettingsCard(Qt::Vertical, SettingsCard::kPadding, kStackSpacing, SettingsCard::kRadius, this);
    const QString stackMode = L10n::text(QStringLiteral("Režim stacku"));
    m_stackMode = new MenuPicker(stackMode, {{L10n::text(QStringLiteral("Jednorazovo")), 0},
                                             {L10n::text(QStringLiteral("Opakovať")), 1}});
    QWidget *stackRow = pickerRow(stackMode, m_stackMode, stack);
    stackRow->layout()->setContentsMargins(0, 0, 0, 0);
    stack->layout()->addWidget(stackRow);
    m_stackExplanation = new ToolText(QString(), kExplanationSize, QFont::Normal, ToolText::Role::Secondary, stack);
    m_stackExplanation->setWordWrap(true);
    stack->layout()->addWidget(m_stackExplanation);
    page->addWidget(stack);
    connect(m_stackMode, &MenuPicker::chosen, &preferences, [&preferences](int value) { preferences.setRepeatsPasteStack(value != 0); });

    auto *history = new SettingsCard(Qt::Vertical, 0, 0, SettingsCard::kRadius, this);
    const QString historySize = L10n::text(QStringLiteral("Veľkosť histórie"));
    m_historyLimit = new MenuPicker(historySize, {{L10n::text(QStringLiteral("50 položiek")), 50},
                                                  {L10n::text(QStringLiteral("100 položiek")), 100},
                                                  {L10n::text(QStringLiteral("500 položiek")), 500}});
    m_lifetime = new MenuPicker(L10n::text(QStringLiteral("Platnosť nových kópií")),
                                {{L10n::text(QStringLiteral("Nikdy")), 0},
                                 {L10n::text(QStringLiteral("1 minúte")), 1},
                                 {L10n::text(QStringLiteral("5 minútach")), 5},
                                 {L10n::text(QStringLiteral("30 minútach")), 30}});
    history->layout()->addWidget(pickerRow(historySize, m_historyLimit, history));
    history->layout()->addWidget(SettingsCard::divider(history));
    history->layout()->addWidget(pickerRow(L10n::text(QStringLiteral("Vypršať nové kópie po")), m_lifetime, history));
    page->addWidget(history);
    connect(m_historyLimit, &MenuPicker::chosen, &preferences, &PreferencesLink::setHistoryLimit);
    connect(m_lifetime, &MenuPicker::chosen, &preferences, &PreferencesLink::setTemporaryMinutes);

    for (auto signal : {&PreferencesLink::isRecordingChanged, &PreferencesLink::isPrivateModeChanged,
                        &PreferencesLink::repeatsPasteStackChanged, &PreferencesLink::historyLimitChanged,
                        &PreferencesLink::temporaryMinutesChanged})
        connect(&preferences, signal, this, &ClipboardSettingsPage::refresh, Qt::QueuedConnection);
    refresh();
}

QString ClipboardSettingsPage::stackExplanation() const
{
    return m_stackExplanation->text();
}

void ClipboardSettingsPage::refresh()
{
    m_recording->setValue(m_preferences.isRecording());
    m_private->setValue(m_preferences.isPrivateMode());
    m_stackMode->setValue(m_preferences.repeatsPasteStack() ? 1 : 0);
    m_historyLimit->setValue(m_preferences.historyLimit());
    m_lifetime->setValue(m_preferences.temporaryMinutes());
    m_stackExplanation->setText(
        m_preferences.repeatsPasteStack() ? L10n::text(QStringLiteral("Po vložení sa položka presunie na koniec a poradie sa opakuje."))
                                          : L10n::text(QStringLiteral("Po vložení sa položka zo stacku odstráni.")));
}
