// The five pages of the guide, each made anew from the model whenever something it shows
// changes.
#include "ui/onboarding/OnboardingView.h"

#include "core/L10n.h"
#include "engine/PreferencesLink.h"
#include "core/AppShortcut.h"
#include "ui/onboarding/FolderPathLine.h"
#include "ui/onboarding/OnboardingComponents.h"
#include "ui/settings/MenuPicker.h"
#include "ui/settings/PickerOption.h"
#include "ui/settings/SettingToggle.h"
#include "ui/settings/SettingsCard.h"
#include "ui/style/PanelButton.h"
#include "ui/tools/ToolText.h"

#include <QBoxLayout>

namespace C = OnboardingComponents;

namespace {

constexpr qreal kWelcomeTileSymbolSize = 29;
constexpr int kWelcomeTileSide = 62;
constexpr qreal kWelcomeTileRadius = 19;
constexpr qreal kReadyTileSymbolSize = 35;
constexpr int kReadyTileSide = 66;
constexpr qreal kReadyTileRadius = 20;

// The keys of the shortcuts as this desktop shows them, put in place of the placeholders in
// order; nothing else of the text is touched.
QString withShortcuts(QString text, const QList<AppShortcut> &shortcuts)
{
    for (const QString &label : AppShortcut::labels(shortcuts)) {
        const qsizetype at = text.indexOf(QStringLiteral("%@"));
        if (at < 0)
            break;
        text.replace(at, 2, label);
    }
    return text;
}

// Two choices sharing a row equally.
void addChoiceRow(QBoxLayout *page, PickerOption *first, PickerOption *second)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(OnboardingView::kChoiceSpacing);
    row->addWidget(first, 1);
    row->addWidget(second, 1);
    page->addLayout(row);
}

// A card of rows with a divider between each two.
SettingsCard *rowGroup(const QList<QWidget *> &rows, qreal radius, QWidget *parent)
{
    auto *card = new SettingsCard(Qt::Vertical, 0, 0, radius, parent);
    for (int i = 0; i < rows.size(); ++i) {
        if (i > 0)
            card->layout()->addWidget(SettingsCard::divider(card));
        rows[i]->setParent(card);
        card->layout()->addWidget(rows[i]);
    }
    return card;
}

} // namespace

void OnboardingView::fillWelcomePage(QWidget *page)
{
    auto *layout = static_cast<QBoxLayout *>(page->layout());
    layout->addWidget(C::heroTile(QStringLiteral("square.stack.3d.up"), kWelcomeTileSymbolSize, kWelcomeTileSide,
                                  kWelcomeTileRadius, page));
    layout->addWidget(C::pageHeading(L10n::text(QStringLiteral("Vitaj v aplikácii Tarnel")),
                                     L10n::text(QStringLiteral("Kopíruj, nájdi a vlož presne to, čo potrebuješ. Nastavenie zaberie len chvíľu.")),
                                     page));
    layout->addWidget(C::featureCard(L10n::text(QStringLiteral("História poruke")),
                                     L10n::text(QStringLiteral("Texty a obrázky nájdeš v notchi alebo v ponuke pod ikonou v hornej lište.")),
                                     QStringLiteral("clock.arrow.circlepath"), page));
    layout->addWidget(C::featureCard(L10n::text(QStringLiteral("Vkladanie v poradí")), L10n::text(QStringLiteral("Viacero kópií vložíš postupne v poradí, v akom vznikli.")),
                                     QStringLiteral("square.stack.3d.up"), page));
    layout->addWidget(C::featureCard(L10n::text(QStringLiteral("Skratky pri písaní")), L10n::text(QStringLiteral("Často používaný text sa vloží po napísaní tvojej skratky.")),
                                     QStringLiteral("keyboard"), page));
}

void OnboardingView::fillPermissionsPage(QWidget *page)
{
    auto *layout = static_cast<QBoxLayout *>(page->layout());
    layout->addWidget(C::pageHeading(L10n::text(QStringLiteral("Povoľ vkladanie")),
                                     L10n::text(QStringLiteral("Tarnel potrebuje tieto povolenia na automatické vkladanie a skratky pri písaní. "
                                        "Môžeš pokračovať aj bez nich.")),
                                     page));
    // The desktop's meaning of the two permissions: keys sent with XTest, and keys watched
    // with the key tap. Their buttons explain what is missing instead of opening a settings pane.
    layout->addWidget(C::permissionCard(
        L10n::text(QStringLiteral("Posielanie klávesov")),
        L10n::text(QStringLiteral("Umožní vložiť vybranú položku na miesto kurzora a kopírovať do Paste Stacku. "
                                  "Potrebuje reláciu X11 s rozšírením XTest.")),
        QStringLiteral("hand.point.up.left"), m_preferences.accessibilityPermissionEnabled(),
        QStringLiteral("keySending"), [this] { Q_EMIT keySendingHelpRequested(); }, page));
    layout->addWidget(C::permissionCard(
        L10n::text(QStringLiteral("Sledovanie klávesnice")),
        L10n::text(QStringLiteral("Rozpozná textové skratky a postupné vkladanie pomocou klávesnice. "
                                  "Potrebuje reláciu X11.")),
        QStringLiteral("keyboard"), m_preferences.inputMonitoringPermissionEnabled(),
        QStringLiteral("keyWatch"), [this] { Q_EMIT keyWatchHelpRequested(); }, page));
    // Through XWayland the permissions hold, but for X11 applications only: said in place of
    // the advice to log into an X11 session.
    const QString limits = m_preferences.sessionLimitsNotice();
    QWidget *note = C::note(QStringLiteral("info.circle"),
                            limits.isEmpty()
                                ? L10n::text(QStringLiteral("Stav sa aktualizuje automaticky. V relácii Wayland tieto funkcie nie sú dostupné: "
                                     "Wayland nedovolí aplikácii stláčať klávesy v iných oknách ani sledovať, čo v nich píšeš. "
                                     "Prihlás sa do relácie X11 a spusti Tarnel znova."))
                                : L10n::text(limits),
                            false, page);
    note->setObjectName(QStringLiteral("sessionNote"));
    layout->addWidget(note);
}

void OnboardingView::fillScreenshotsPage(QWidget *page)
{
    auto *layout = static_cast<QBoxLayout *>(page->layout());
    layout->addWidget(C::pageHeading(L10n::text(QStringLiteral("Snímky obrazovky na jednom mieste")),
                                     L10n::text(QStringLiteral("Tarnel môže automaticky pridávať nové screenshoty z priečinka, do ktorého ich "
                                        "ukladá tvoj nástroj na snímky obrazovky.")),
                                     page));

    auto *capture = new SettingsCard(Qt::Horizontal, kCardPadding, kCardSpacing, kToolCardRadius, page);
    capture->layout()->addWidget(C::iconTile(QStringLiteral("camera.viewfinder"), capture), 0, Qt::AlignVCenter);
    capture->layout()->addWidget(C::cardTexts(L10n::text(QStringLiteral("Automatické pridávanie screenshotov")),
                                              L10n::text(QStringLiteral("Nové súbory sa ukážu v sekcii Screenshots.")), capture),
                                 1, Qt::AlignVCenter);
    // The setter, not the field: turning the import off also drops imports still pending,
    // and either way the folder watch starts or stops.
    auto *toggle = C::preferenceToggle(
        QString(), [this] { return m_preferences.automaticScreenshotCapture(); },
        [this](bool on) { m_preferences.setAutomaticScreenshotCapture(on); }, capture);
    toggle->setObjectName(QStringLiteral("automaticScreenshots"));
    toggle->switchButton()->setObjectName(QStringLiteral("automaticScreenshots-switch"));
    toggle->switchButton()->setAccessibleName(L10n::text(QStringLiteral("Automatické pridávanie screenshotov")));
    toggle->layout()->setContentsMargins(0, 0, 0, 0);
    capture->layout()->addWidget(toggle, 0, Qt::AlignVCenter);
    layout->addWidget(capture);

    auto *folder = new SettingsCard(Qt::Horizontal, kCardPadding, kCardSpacing, kToolCardRadius, page);
    folder->layout()->addWidget(C::iconTile(QStringLiteral("folder"), folder), 0, Qt::AlignVCenter);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(C::kCardTextSpacing);
    texts->addWidget(new ToolText(L10n::text(QStringLiteral("Priečinok so snímkami obrazovky")), C::kCardTitleSize, QFont::DemiBold,
                                  ToolText::Role::Primary, folder));
    // A path is shown as it is (never translated); without one the line says so.
    if (const std::optional<QString> path = m_preferences.screenshotFolderPath()) {
        auto *line = new FolderPathLine(*path, C::kCardDetailSize, folder);
        line->setObjectName(QStringLiteral("folderLine"));
        texts->addWidget(line);
    } else {
        auto *line = new ToolText(L10n::text(QStringLiteral("Priečinok nie je vybraný")), C::kCardDetailSize, QFont::Normal,
                                  ToolText::Role::Secondary, folder);
        line->setObjectName(QStringLiteral("folderLine"));
        texts->addWidget(line);
    }
    folder->layout()->addItem(texts);
    static_cast<QBoxLayout *>(folder->layout())->setStretch(1, 1);
    auto *choose = new PanelButton(L10n::text(QStringLiteral("Vybrať")), false, kButtonHeight, kButtonPadding, folder);
    choose->setObjectName(QStringLiteral("chooseFolder"));
    connect(choose, &QAbstractButton::clicked, this, &OnboardingView::screenshotFolderRequested);
    folder->layout()->addWidget(choose, 0, Qt::AlignVCenter);
    layout->addWidget(folder);

    if (const std::optional<QString> issue = m_preferences.screenshotCaptureIssue()) {
        auto *warning = C::note(QStringLiteral("exclamationmark.triangle"), L10n::text(*issue), true, page);
        warning->setObjectName(QStringLiteral("captureIssue"));
        layout->addWidget(warning);
    }
}

void OnboardingView::fillPreferencesPage(QWidget *page)
{
    auto *layout = static_cast<QBoxLayout *>(page->layout());
    layout->addWidget(C::pageHeading(L10n::text(QStringLiteral("Prispôsob si Tarnel")),
                                     L10n::text(QStringLiteral("Tieto voľby môžeš neskôr kedykoľvek zmeniť v Nastaveniach.")), page));

    // The display mode waits for the end of the guide; everything else is the model's at once.
    layout->addWidget(C::sectionLabel(L10n::text(QStringLiteral("Zobrazenie")), page));
    const auto modeButton = [&](ClipboardPresentationMode mode, const QString &title, const QString &symbol) {
        PickerOption *button = C::choiceButton(title, symbol, m_selectedMode == mode, [this, mode] { selectMode(mode); }, page);
        button->setObjectName(QStringLiteral("mode-") + rawValue(mode));
        return button;
    };
    // The notch keeps its name in every language.
    // Made one after the other, so the keyboard meets them in reading order.
    PickerOption *notch = modeButton(ClipboardPresentationMode::Notch, QStringLiteral("Notch"),
                                     QStringLiteral("rectangle.topthird.inset.filled"));
    PickerOption *menuBar = modeButton(ClipboardPresentationMode::MenuBar, L10n::text(QStringLiteral("Ponuka v lište")),
                                       QStringLiteral("menubar.rectangle"));
    addChoiceRow(layout, notch, menuBar);
    auto *hint = new ToolText(withShortcuts(L10n::text(QStringLiteral("%@ otvorí Quick Access v oboch režimoch.")), {AppShortcut::pasteAs}), kHintSize, QFont::Normal,
                              ToolText::Role::Secondary, page);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    layout->addWidget(C::sectionLabel(L10n::text(QStringLiteral("Vzhľad")), page));
    const auto appearanceButton = [&](ClipboardAppearance appearance, const QString &title, const QString &symbol) {
        PickerOption *button = C::choiceButton(
            title, symbol, m_preferences.appearance() == appearance,
            [this, appearance] { m_preferences.setAppearance(appearance); }, page);
        button->setObjectName(QStringLiteral("appearance-") + rawValue(appearance));
        return button;
    };
    PickerOption *light = appearanceButton(ClipboardAppearance::Light, L10n::text(QStringLiteral("Svetlý")),
                                           QStringLiteral("sun.max"));
    PickerOption *dark = appearanceButton(ClipboardAppearance::Dark, L10n::text(QStringLiteral("Tmavý")),
                                          QStringLiteral("moon.stars"));
    addChoiceRow(layout, light, dark);

    layout->addWidget(C::sectionLabel(L10n::text(QStringLiteral("Jazyk")), page));
    // Each language is named in itself.
    const auto languageButton = [&](AppLanguage language, const QString &title) {
        PickerOption *button = C::choiceButton(
            title, QStringLiteral("globe"), m_preferences.language() == language,
            [this, language] { m_preferences.setLanguage(language); }, page);
        button->setObjectName(QStringLiteral("language-") + rawValue(language));
        return button;
    };
    PickerOption *slovak = languageButton(AppLanguage::Sk, QStringLiteral("Slovenčina"));
    PickerOption *english = languageButton(AppLanguage::En, QStringLiteral("English"));
    addChoiceRow(layout, slovak, english);

    SettingToggle *recording = C::preferenceToggle(
        L10n::text(QStringLiteral("Sledovanie schránky")), [this] { return m_preferences.isRecording(); },
        [this](bool on) { m_preferences.setIsRecording(on); }, page);
    recording->switchButton()->setObjectName(QStringLiteral("recording"));
    SettingToggle *repeats = C::preferenceToggle(
        L10n::text(QStringLiteral("Opakovať Paste Stack")), [this] { return m_preferences.repeatsPasteStack(); },
        [this](bool on) { m_preferences.setRepeatsPasteStack(on); }, page);
    repeats->switchButton()->setObjectName(QStringLiteral("repeatsPasteStack"));
    // The switch shows what the desktop reports afterwards, so a refused change flips it back.
    SettingToggle *launch = C::preferenceToggle(
        L10n::text(QStringLiteral("Spustiť po prihlásení")), [this] { return m_preferences.launchAtLoginEnabled(); },
        [this](bool on) { m_preferences.setLaunchAtLogin(on); }, page);
    launch->switchButton()->setObjectName(QStringLiteral("launchAtLogin"));
    layout->addWidget(rowGroup({recording, repeats, launch}, kCardRadius, page));

    if (const std::optional<QString> issue = m_preferences.launchAtLoginIssue()) {
        // Why the login item refused, in the interface's language.
        auto *warning = new ToolText(L10n::text(*issue), kHintSize, QFont::Normal, ToolText::Role::Warning, page);
        warning->setObjectName(QStringLiteral("launchIssue"));
        warning->setWordWrap(true);
        layout->addWidget(warning);
    }

    auto *history = new QHBoxLayout;
    history->addWidget(new ToolText(L10n::text(QStringLiteral("Veľkosť histórie")), C::kRowTitleSize, QFont::Medium, ToolText::Role::Primary, page));
    history->addStretch(1);
    auto *limit = new MenuPicker(L10n::text(QStringLiteral("Veľkosť histórie")), {{L10n::text(QStringLiteral("50 položiek")), 50}, {L10n::text(QStringLiteral("100 položiek")), 100},
                                                          {L10n::text(QStringLiteral("500 položiek")), 500}}, page);
    limit->setObjectName(QStringLiteral("historyLimit"));
    limit->setValue(m_preferences.historyLimit());
    limit->setFixedWidth(kHistoryPickerWidth);
    connect(limit, &MenuPicker::chosen, &m_preferences, &PreferencesLink::setHistoryLimit);
    history->addWidget(limit);
    layout->addLayout(history);
}

void OnboardingView::fillReadyPage(QWidget *page)
{
    auto *layout = static_cast<QBoxLayout *>(page->layout());
    layout->addWidget(C::heroTile(QStringLiteral("checkmark.seal.fill"), kReadyTileSymbolSize, kReadyTileSide,
                                  kReadyTileRadius, page));
    layout->addWidget(C::pageHeading(L10n::text(QStringLiteral("Tarnel je pripravený")),
                                     L10n::text(QStringLiteral("Začni kopírovať. Históriu a nastavenia otvoríš z vybraného režimu zobrazenia.")),
                                     page));
    // The mode row shows the choice that finishing will apply, not the mode in force now.
    QWidget *mode = C::valueRow(L10n::text(QStringLiteral("Zobrazenie")),
                                m_selectedMode == ClipboardPresentationMode::MenuBar ? L10n::text(QStringLiteral("Ponuka v lište"))
                                                                                     : QStringLiteral("Notch"),
                                true, page);
    mode->setObjectName(QStringLiteral("summary-mode"));
    QWidget *keySending = C::summaryRow(L10n::text(QStringLiteral("Posielanie klávesov")), m_preferences.accessibilityPermissionEnabled(), page);
    keySending->setObjectName(QStringLiteral("summary-keySending"));
    QWidget *keyWatch = C::summaryRow(L10n::text(QStringLiteral("Sledovanie klávesnice")), m_preferences.inputMonitoringPermissionEnabled(), page);
    keyWatch->setObjectName(QStringLiteral("summary-keyWatch"));
    QWidget *screenshots = C::summaryRow(L10n::text(QStringLiteral("Automatické screenshoty")), m_preferences.automaticScreenshotCapture(), page);
    screenshots->setObjectName(QStringLiteral("summary-screenshots"));
    QWidget *stack = C::valueRow(L10n::text(QStringLiteral("Režim stacku")), m_preferences.repeatsPasteStack() ? L10n::text(QStringLiteral("Opakovať")) : L10n::text(QStringLiteral("Jednorazovo")),
                                 true, page);
    stack->setObjectName(QStringLiteral("summary-stack"));
    layout->addWidget(rowGroup({mode, keySending, keyWatch, screenshots, stack}, kCardRadius, page));
    layout->addWidget(C::note(QStringLiteral("keyboard"),
                              withShortcuts(L10n::text(QStringLiteral("%@ otvorí Quick Access · %@ vloží ďalšiu položku zo Stacku")),
                                            {AppShortcut::pasteAs, AppShortcut::pasteNextFromStack}),
                              false, page));
}
