#include "ui/library/SnippetsScreen.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/library/LibraryCard.h"
#include "ui/library/SectionHeading.h"
#include "ui/library/SnippetRow.h"
#include "ui/panel/PanelSheets.h"
#include "ui/panel/SectionSymbols.h"
#include "ui/style/LiveText.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelScrollArea.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// Both cards of the screen: one padding, corner and message size; their titles differ in size.
LibraryCard::Look cardLook(qreal titleSize)
{
    LibraryCard::Look look;
    look.titleSize = titleSize;
    look.messageSize = SnippetsScreen::kCardTextSize;
    look.padding = SnippetsScreen::kCardPadding;
    look.radius = SnippetsScreen::kCardRadius;
    return look;
}

PanelButton *cardButton(bool prominent)
{
    return new PanelButton(QString(), prominent, ScreenHeading::kButtonHeight, ScreenHeading::kButtonPadding);
}

PanelButton *createButton()
{
    PanelButton *create = cardButton(true);
    create->setSymbol(QStringLiteral("plus"));
    return create;
}

} // namespace

SnippetsScreen::SnippetsScreen(ClipboardModel &model, PanelSheets &sheets, QWidget *parent)
    : QWidget(parent), m_model(model), m_sheets(sheets)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    m_heading = new ScreenHeading(this);
    m_clear = ScreenHeading::clearButton(QString());
    connect(m_clear, &PanelButton::clicked, this, [this] { m_sheets.confirmClear(ClearSection::Snippets); });
    LiveText::follow(model, m_heading, [this] {
        m_heading->setTitle(L10n::text(QStringLiteral("Skratky")));
        m_clear->setTitle(ScreenHeading::clearTitle());
    });
    LiveText::tip(model, m_clear, QStringLiteral("Vymazať všetky skratky"));
    m_heading->setAccessory(buildHeadingButtons());
    layout->addWidget(m_heading);
    m_createCard = buildCreateCard();
    layout->addWidget(m_createCard);

    // The permission card scrolls with the snippets (or the empty state) below it: in a lower
    // window it scrolls away whole rather than being squeezed and cutting its buttons off.
    auto *column = new QWidget;
    auto *content = new QVBoxLayout(column);
    content->setContentsMargins(0, 0, 0, 0);
    // The card stands a row's gap above the snippets: every point counts for the second row.
    content->setSpacing(kRowSpacing);
    content->addWidget(buildPermissionCard());
    m_list = new QWidget(column);
    m_rows = new QVBoxLayout(m_list);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(kRowSpacing);
    m_rows->addStretch(1);
    content->addWidget(m_list, 1);
    m_empty = new PanelEmptyState(QStringLiteral("keyboard"), QString(), QString(), column);
    // Below the card the empty state takes its whole height and scrolls rather than being cut.
    QSizePolicy emptyPolicy(QSizePolicy::Expanding, QSizePolicy::MinimumExpanding);
    emptyPolicy.setHeightForWidth(true);
    m_empty->setSizePolicy(emptyPolicy);
    content->addWidget(m_empty, 1);
    m_scroll = makePanelScrollArea(this);
    m_scroll->setWidget(column);
    // The scroll area fills what it holds with the window colour; the panel shows through instead.
    column->setAutoFillBackground(false);
    layout->addWidget(m_scroll, 1);

    for (auto signal : {&ClipboardModel::snippetsChanged, &ClipboardModel::searchTextChanged,
                        &ClipboardModel::pasteMonitoringEnabledChanged, &ClipboardModel::accessibilityPermissionEnabledChanged,
                        &ClipboardModel::inputMonitoringPermissionEnabledChanged, &ClipboardModel::languageChanged})
        connect(&model, signal, this, &SnippetsScreen::refresh, Qt::QueuedConnection);
    // Hovering a row selects it: the rows only repaint. Building them afresh would take the
    // pressed button from under a click that follows the pointer onto a row.
    connect(&model, &ClipboardModel::selectedQuickAccessSnippetIDChanged, this, &SnippetsScreen::markSelection,
            Qt::QueuedConnection);
    refresh();
}

QList<ClipboardSnippet> SnippetsScreen::filteredSnippets(const ClipboardModel &model)
{
    const QString search = model.searchText();
    if (search.isEmpty())
        return model.snippets();
    QList<ClipboardSnippet> shown;
    for (const ClipboardSnippet &snippet : model.snippets()) {
        const QString haystack = snippet.name + QLatin1Char(' ') + snippet.trigger + QLatin1Char(' ') + snippet.text;
        if (haystack.contains(search, Qt::CaseInsensitive))
            shown.append(snippet);
    }
    return shown;
}

QWidget *SnippetsScreen::buildCreateCard()
{
    auto *card = new LibraryCard(QString(), QString(), QString(), cardLook(kCardTitleSize), this);
    PanelButton *create = createButton();
    LiveText::follow(m_model, card, [card, create] {
        card->setTexts(L10n::text(QStringLiteral("Vlastný text na vloženie")),
                       L10n::text(QStringLiteral("Zachová riadky a medzery presne podľa zadania.")));
        create->setTitle(L10n::text(QStringLiteral("Nová skratka")));
    });
    connect(create, &PanelButton::clicked, this, [this] { m_sheets.editSnippet(std::nullopt); });
    card->addButton(create);
    return card;
}

QWidget *SnippetsScreen::buildHeadingButtons()
{
    auto *buttons = new QWidget;
    auto *row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(ScreenHeading::kSpacing);
    m_headingCreate = createButton();
    LiveText::follow(m_model, m_headingCreate, [this] {
        m_headingCreate->setTitle(L10n::text(QStringLiteral("Nová skratka")));
        // The new-snippet card's texts, which the card no longer shows while it is folded away.
        const QString title = L10n::text(QStringLiteral("Vlastný text na vloženie"));
        const QString message = L10n::text(QStringLiteral("Zachová riadky a medzery presne podľa zadania."));
        m_headingCreate->setToolTip(title + QLatin1Char('\n') + message);
    });
    connect(m_headingCreate, &PanelButton::clicked, this, [this] { m_sheets.editSnippet(std::nullopt); });
    row->addWidget(m_headingCreate);
    row->addWidget(m_clear);
    return buttons;
}

QWidget *SnippetsScreen::buildPermissionCard()
{
    LibraryCard::Look look = cardLook(kPermissionTitleSize);
    look.fill = LibraryCard::Fill::ControlSurface;
    look.padding = kPermissionPadding;
    look.buttons = LibraryCard::Buttons::Stacked;
    // On the X11 desktop, typing into other applications needs the XTest extension and watching
    // the keys needs the key tap; the buttons open Tarnel's explanation of what is missing.
    auto *card = new LibraryCard(QStringLiteral("keyboard"), QString(), QString(), look, this);
    m_accessibility = new PanelButton(QString(), false, kPermissionButtonHeight, kPermissionButtonPadding);
    m_inputMonitoring = new PanelButton(QString(), false, kPermissionButtonHeight, kPermissionButtonPadding);
    LiveText::follow(m_model, card, [this, card] {
        card->setTexts(L10n::text(QStringLiteral("Skratky pri písaní potrebujú povolenia systému")),
                       L10n::text(QStringLiteral("Tarnel musí vedieť posielať klávesy (XTest v relácii X11) a sledovať "
                                                 "písanie. Potom bude vedieť rozoznať ;skratku v aktívnej aplikácii.")));
        m_accessibility->setTitle(L10n::text(QStringLiteral("Prístupnosť")));
        m_inputMonitoring->setTitle(L10n::text(QStringLiteral("Monitorovanie vstupu")));
        card->placeButtons();
    });
    connect(m_accessibility, &PanelButton::clicked, this, [this] { Q_EMIT permissionRequested(true); });
    connect(m_inputMonitoring, &PanelButton::clicked, this, [this] { Q_EMIT permissionRequested(false); });
    card->addButton(m_accessibility);
    card->addButton(m_inputMonitoring);
    m_permissions = card;
    return card;
}

bool SnippetsScreen::isShowingEmptyState() const { return !m_empty->isHidden(); }

int SnippetsScreen::rowCount() const { return m_rows->count() - 1; }

void SnippetsScreen::markSelection()
{
    const std::optional<QString> selected = m_model.selectedQuickAccessSnippetID();
    for (SnippetRow *row : findChildren<SnippetRow *>())
        row->setSelected(selected == row->snippetID());
}

void SnippetsScreen::refresh()
{
    m_heading->setSymbol(SectionSymbols::symbol(ClipboardPanelTab::Snippets));
    m_heading->setCount(int(m_model.snippets().size()));
    m_clear->setEnabled(!m_model.snippets().isEmpty());
    const bool permissionMissing = !(m_model.pasteMonitoringEnabled() && m_model.accessibilityPermissionEnabled());
    m_permissions->setVisible(permissionMissing);
    m_createCard->setVisible(!permissionMissing);
    m_headingCreate->setVisible(permissionMissing);
    m_accessibility->setVisible(!m_model.accessibilityPermissionEnabled());
    m_inputMonitoring->setVisible(!m_model.inputMonitoringPermissionEnabled());
    static_cast<LibraryCard *>(m_permissions)->placeButtons();

    while (m_rows->count() > 1) {
        QLayoutItem *item = m_rows->takeAt(0);
        delete item->widget();
        delete item;
    }
    const QList<ClipboardSnippet> shown = filteredSnippets(m_model);
    if (shown.isEmpty()) {
        const bool searching = !m_model.searchText().isEmpty();
        m_empty->setContent(
            QStringLiteral("keyboard"),
            L10n::text(searching ? QStringLiteral("Nič sa nenašlo") : QStringLiteral("Texty, ktoré používaš často")),
            L10n::text(searching ? QStringLiteral("Skús iný názov, skratku alebo časť textu.")
                                 : QStringLiteral("Vytvor skratku s vlastným textom, ktorý vložíš jedným kliknutím alebo "
                                                  "napísaním spúšťacieho výrazu.")));
        m_list->hide();
        m_empty->show();
        return;
    }
    const std::optional<QString> selected = m_model.selectedQuickAccessSnippetID();
    int index = 0;
    for (const ClipboardSnippet &snippet : shown) {
        auto *row = new SnippetRow(snippet, selected == snippet.id);
        connect(row, &SnippetRow::pasteRequested, this, [this](const QString &id) {
            // By id: the snippet may have been edited or removed since the row was drawn.
            for (const ClipboardSnippet &current : m_model.snippets()) {
                if (current.id == id)
                    return m_model.pasteText(current.text);
            }
        });
        connect(row, &SnippetRow::editRequested, this, [this](const QString &id) {
            for (const ClipboardSnippet &current : m_model.snippets()) {
                if (current.id == id)
                    return m_sheets.editSnippet(current);
            }
        });
        connect(row, &SnippetRow::hovered, this, [this](const QString &id) { m_model.setSelectedQuickAccessSnippetID(id); });
        m_rows->insertWidget(index++, row);
    }
    m_empty->hide();
    m_list->show();
}
