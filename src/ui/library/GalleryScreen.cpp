#include "ui/library/GalleryScreen.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/library/ScreenBody.h"
#include "ui/library/SectionHeading.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/panel/MasonryGridLayout.h"
#include "ui/panel/PanelSheets.h"
#include "ui/panel/SectionSymbols.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelEmptyState.h"

#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

GalleryScreen::GalleryScreen(ClipboardModel &model, PanelSheets &sheets, QWidget *parent)
    : QWidget(parent), m_model(model), m_sheets(sheets)
{
    m_images = new EntryThumbnails(EntryThumbnails::reading(model.imageBytes()), this, kPictureSide);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    m_heading = new ScreenHeading(this);
    m_clear = ScreenHeading::clearButton(QString());
    connect(m_clear, &PanelButton::clicked, this, [this] {
        m_sheets.confirmClear(isScreenshots() ? ClearSection::Screenshots : ClearSection::Gallery);
    });
    m_heading->setAccessory(m_clear);
    layout->addWidget(m_heading);

    m_empty = new PanelEmptyState(QString(), QString(), QString(), this);
    m_grid = new QWidget;
    m_layout = new MasonryGridLayout(kColumns, kGridSpacing, m_grid);
    m_layout->setContentsMargins(0, 0, 0, kBottomPadding);
    const ScreenBody body = ScreenBody::make(this, m_grid, m_empty);
    m_scroll = body.scroll;
    m_body = body.stack;
    layout->addWidget(body.widget, 1);

    connect(m_images, &EntryThumbnails::ready, this, [this](const QString &id) {
        const QPointer<GalleryCard> card = m_cards.value(id);
        if (!card)
            return;
        if (const auto picture = m_images->picture(card->entry()))
            card->setPicture(picture->image, picture->fullSize);
        m_layout->invalidate();
    });
    for (auto signal : {&ClipboardModel::entriesChanged, &ClipboardModel::selectedTabChanged,
                        &ClipboardModel::searchTextChanged, &ClipboardModel::languageChanged})
        connect(&model, signal, this, &GalleryScreen::refresh, Qt::QueuedConnection);
    connect(&model, &ClipboardModel::selectedEntryIDChanged, this, &GalleryScreen::refreshSelection, Qt::QueuedConnection);
    refresh();
}

GalleryScreen::~GalleryScreen() = default;

bool GalleryScreen::isScreenshots() const { return m_model.selectedTab() == ClipboardPanelTab::Screenshots; }

bool GalleryScreen::isShowingEmptyState() const { return m_body->currentWidget() == m_empty; }

QList<GalleryCard *> GalleryScreen::cards() const
{
    QList<GalleryCard *> cards;
    for (int i = 0; i < m_layout->count(); ++i) {
        if (auto *card = qobject_cast<GalleryCard *>(m_layout->itemAt(i)->widget()))
            cards.append(card);
    }
    return cards;
}

void GalleryScreen::refresh()
{
    const bool screenshots = isScreenshots();
    const int count = int(std::count_if(m_model.entries().begin(), m_model.entries().end(), [screenshots](const ClipboardEntry &e) {
        return e.kind == ClipboardKind::Image && e.isScreenshot == screenshots;
    }));
    m_heading->setSymbol(SectionSymbols::symbol(m_model.selectedTab()));
    m_heading->setTitle(L10n::text(screenshots ? QStringLiteral("Snímky obrazovky") : QStringLiteral("Galéria")));
    m_heading->setCount(count);
    m_clear->setTitle(ScreenHeading::clearTitle());
    m_clear->setEnabled(count > 0);
    const QString help = L10n::text(screenshots ? QStringLiteral("Vymazať všetky screenshoty") : QStringLiteral("Vymazať Galériu"));
    m_clear->setToolTip(help);
    m_clear->setAccessibleName(help);

    while (QLayoutItem *item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_cards.clear();
    const QList<ClipboardEntry> entries = m_model.quickAccessEntries();
    if (entries.isEmpty()) {
        const QString symbol = SectionSymbols::symbol(screenshots ? ClipboardPanelTab::Screenshots : ClipboardPanelTab::Gallery);
        if (!m_model.searchText().isEmpty())
            m_empty->setContent(symbol, L10n::text(QStringLiteral("Nič sa nenašlo")),
                                L10n::text(QStringLiteral("Skús vyhľadať názov aplikácie alebo typ obsahu.")));
        else if (screenshots)
            m_empty->setContent(symbol, L10n::text(QStringLiteral("Zatiaľ tu nie sú snímky obrazovky")),
                                L10n::text(QStringLiteral("Nové snímky z obrazovky sa pridajú automaticky. Priečinok môžeš "
                                                          "zmeniť v Nastaveniach.")));
        else
            m_empty->setContent(symbol, L10n::text(QStringLiteral("Zatiaľ tu nie sú obrázky")),
                                L10n::text(QStringLiteral("Skopíruj obrázok a objaví sa tu v prehľadnej galérii.")));
        m_body->setCurrentWidget(m_empty);
        return;
    }
    const std::optional<QString> selected = m_model.selectedEntryID();
    for (const ClipboardEntry &entry : entries) {
        auto *card = new GalleryCard(entry, m_grid);
        if (const auto picture = m_images->picture(entry))
            card->setPicture(picture->image, picture->fullSize);
        card->setSelected(selected == entry.id);
        card->setActionsOpen(m_actionEntryID == entry.id);
        connect(card, &GalleryCard::triggered, this, &GalleryScreen::trigger);
        connect(card, &GalleryCard::hovered, this, [this](const QString &id) {
            for (const ClipboardEntry &current : m_model.entries()) {
                if (current.id == id)
                    return m_model.setSelectedEntry(current);
            }
        });
        m_layout->addWidget(card);
        m_cards.insert(entry.id, card);
    }
    m_body->setCurrentWidget(m_scroll);
}

void GalleryScreen::refreshSelection()
{
    const std::optional<QString> selected = m_model.selectedEntryID();
    for (auto it = m_cards.cbegin(); it != m_cards.cend(); ++it) {
        if (it.value())
            it.value()->setSelected(selected == it.key());
    }
}

bool GalleryScreen::trigger(const QString &entryID, GalleryCard::Action action)
{
    std::optional<ClipboardEntry> entry;
    for (const ClipboardEntry &current : m_model.entries()) {
        if (current.id == entryID)
            entry = current;
    }
    // The card may show an entry that left the history since it was drawn.
    if (!entry)
        return false;
    switch (action) {
    case GalleryCard::Action::Paste:
        m_model.pasteHistoryEntryFromClick(*entry);
        break;
    case GalleryCard::Action::Pin:
        m_model.togglePin(*entry);
        break;
    case GalleryCard::Action::ReadText:
        Q_EMIT readTextRequested(*entry);
        break;
    case GalleryCard::Action::Preview:
        m_sheets.previewImage(*entry);
        break;
    case GalleryCard::Action::Delete:
        m_model.deleteEntry(*entry);
        break;
    case GalleryCard::Action::AllActions: {
        m_model.setSelectedEntry(*entry);
        const QPointer<GalleryCard> card = m_cards.value(entryID);
        QRect anchor(QCursor::pos(), QSize(1, 1));
        if (card) {
            const QWidget *button = card->button(GalleryCard::Action::AllActions);
            anchor = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
        }
        EntryActionsMenu *menu = EntryActionsMenu::popUp(m_model, entryID, anchor);
        if (!menu)
            break;
        m_actionEntryID = entryID;
        if (card)
            card->setActionsOpen(true);
        m_sheets.setActionEntry(*entry);
        // The panel outlives its screens and hears of every close, even one after this screen is gone,
        // for as long as the panel itself is there.
        PanelSheets *sheets = &m_sheets;
        const ClipboardEntry shown = *entry;
        connect(menu, &EntryActionsMenu::closed, sheets->lifetime(), [sheets] { sheets->setActionEntry(std::nullopt); });
        connect(menu, &EntryActionsMenu::closed, this, [this, entryID] {
            m_actionEntryID.reset();
            if (const QPointer<GalleryCard> open = m_cards.value(entryID))
                open->setActionsOpen(false);
        });
        connect(menu, &EntryActionsMenu::previewImageRequested, sheets->lifetime(), [sheets, shown] { sheets->previewImage(shown); });
        connect(menu, &EntryActionsMenu::createImageRequested, sheets->lifetime(), [sheets, shown] { sheets->composeImage(shown); });
        break;
    }
    }
    return true;
}
