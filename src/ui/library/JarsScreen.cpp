#include "ui/library/JarsScreen.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/library/EntryList.h"
#include "ui/library/JarCard.h"
#include "ui/library/ScreenBody.h"
#include "ui/library/SectionHeading.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/panel/PanelSheets.h"
#include "ui/panel/SectionSymbols.h"
#include "ui/style/LiveText.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelEmptyState.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QSet>
#include <QStackedLayout>

namespace {

QWidget *row(QWidget *parent, const QList<QWidget *> &widgets)
{
    auto *box = new QWidget(parent);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(ScreenHeading::kSpacing);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    return box;
}

EntryOverflowButton *iconButton(const QString &symbol, const QString &text, bool destructive)
{
    auto *button = new EntryOverflowButton(symbol);
    button->setDestructive(destructive);
    button->setToolTip(text);
    button->setAccessibleName(text);
    return button;
}

} // namespace

JarsScreen::JarsScreen(ClipboardModel &model, PanelSheets &sheets, QWidget *parent)
    : QWidget(parent), m_model(model), m_sheets(sheets)
{
    m_pages = new QStackedLayout(this);
    m_pages->setContentsMargins(0, 0, 0, 0);
    buildList();
    buildDetail();
    for (auto signal : {&ClipboardModel::jarsChanged, &ClipboardModel::selectedJarIDChanged,
                        &ClipboardModel::searchTextChanged, &ClipboardModel::entriesChanged,
                        &ClipboardModel::languageChanged})
        connect(&model, signal, this, &JarsScreen::refresh, Qt::QueuedConnection);
    refresh();
}

void JarsScreen::buildList()
{
    m_listPage = new QWidget(this);
    auto *layout = new QVBoxLayout(m_listPage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    m_listHeading = new ScreenHeading(m_listPage);
    m_listHeading->setTitle(QStringLiteral("Jars"));
    m_clearAll = ScreenHeading::clearButton(QString());
    connect(m_clearAll, &PanelButton::clicked, this, [this] { m_sheets.confirmClear(ClearSection::Jars); });
    LiveText::tip(m_model, m_clearAll, QStringLiteral("Vyprázdniť všetky Jars"));
    auto *create = new PanelButton(QString(), true, ScreenHeading::kButtonHeight, ScreenHeading::kButtonPadding);
    create->setSymbol(QStringLiteral("plus"));
    LiveText::tip(m_model, create, QStringLiteral("Nový Jar"));
    connect(create, &PanelButton::clicked, this, [this] { m_sheets.editJar(std::nullopt); });
    m_listHeading->setAccessory(row(m_listHeading, {m_clearAll, create}));
    layout->addWidget(m_listHeading);

    m_empty = new PanelEmptyState(QStringLiteral("archivebox"), QString(), QString(), m_listPage);
    auto *column = new QWidget;
    m_cards = new QVBoxLayout(column);
    m_cards->setContentsMargins(0, 0, 0, kBottomPadding);
    m_cards->setSpacing(kCardSpacing);
    m_cards->addStretch(1);
    const ScreenBody body = ScreenBody::make(m_listPage, column, m_empty);
    m_scroll = body.scroll;
    m_listBody = body.stack;
    layout->addWidget(body.widget, 1);
    m_pages->addWidget(m_listPage);
}

void JarsScreen::buildDetail()
{
    m_detailPage = new QWidget(this);
    auto *layout = new QVBoxLayout(m_detailPage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    m_detailHeading = new ScreenHeading(m_detailPage);
    // A 28-point square: the chevron's own width plus equal padding.
    auto *back = new PanelButton(QString(), false, kBackSide, 0);
    back->setSymbol(QStringLiteral("chevron.left"), kBackSymbolSize);
    back->setFixedSize(kBackSide, kBackSide);
    LiveText::tip(m_model, back, QStringLiteral("Všetky Jars"));
    connect(back, &PanelButton::clicked, this, &JarsScreen::closeJar);
    m_detailHeading->setLeading(back);

    const auto selected = [this] { return m_model.selectedJar(); };
    m_clearJar = ScreenHeading::clearButton(QString());
    connect(m_clearJar, &PanelButton::clicked, this, [this, selected] {
        if (const auto jar = selected())
            m_sheets.confirmClear(ClearSection::Jar, jar->id);
    });
    LiveText::tip(m_model, m_clearJar, QStringLiteral("Vyprázdniť tento Jar"));
    EntryOverflowButton *rename = iconButton(QStringLiteral("pencil"), L10n::text(QStringLiteral("Premenovať Jar")), false);
    EntryOverflowButton *remove = iconButton(QStringLiteral("trash"), L10n::text(QStringLiteral("Vymazať Jar")), true);
    connect(rename, &EntryOverflowButton::clicked, this, [this, selected] {
        if (const auto jar = selected())
            m_sheets.editJar(jar->id);
    });
    connect(remove, &EntryOverflowButton::clicked, this, [this, selected] {
        if (const auto jar = selected())
            m_sheets.confirmClear(ClearSection::DeleteJar, jar->id);
    });
    LiveText::tip(m_model, rename, QStringLiteral("Premenovať Jar"));
    LiveText::tip(m_model, remove, QStringLiteral("Vymazať Jar"));
    for (PanelButton *clear : {m_clearAll, m_clearJar})
        LiveText::follow(m_model, clear, [clear] { clear->setTitle(ScreenHeading::clearTitle()); });
    m_detailHeading->setAccessory(row(m_detailHeading, {m_clearJar, rename, remove}));
    layout->addWidget(m_detailHeading);
    m_entries = new EntryList(m_model, m_sheets, false, m_detailPage);
    connect(m_entries, &EntryList::readTextRequested, this, &JarsScreen::readTextRequested);
    layout->addWidget(m_entries, 1);
    m_pages->addWidget(m_detailPage);
}

void JarsScreen::openJar(const QString &jarID)
{
    m_model.setSelectedJarID(jarID);
    m_model.setSearchText(QString());
    const QList<ClipboardEntry> entries = m_model.selectedJarEntries();
    m_model.setSelectedEntryID(entries.isEmpty() ? std::nullopt : std::optional(entries.first().id));
}

void JarsScreen::closeJar()
{
    m_model.setSelectedJarID(std::nullopt);
    m_model.setSearchText(QString());
}

bool JarsScreen::isShowingDetail() const { return m_pages->currentWidget() == m_detailPage; }

bool JarsScreen::isShowingEmptyList() const { return m_listBody->currentWidget() == m_empty; }

QList<QWidget *> JarsScreen::cards() const
{
    QList<QWidget *> cards;
    for (int i = 0; i < m_cards->count(); ++i) {
        if (QWidget *card = m_cards->itemAt(i)->widget())
            cards.append(card);
    }
    return cards;
}

void JarsScreen::refresh()
{
    const QString symbol = SectionSymbols::symbol(m_model.selectedTab());
    if (const std::optional<ClipboardJar> jar = m_model.selectedJar()) {
        m_detailHeading->setSymbol(symbol);
        m_detailHeading->setTitle(jar->name);
        m_detailHeading->setCount(int(m_model.selectedJarEntries().size()));
        m_clearJar->setEnabled(!jar->entryIDs.isEmpty());
        m_pages->setCurrentWidget(m_detailPage);
        return;
    }
    m_pages->setCurrentWidget(m_listPage);
    const QList<ClipboardJar> &jars = m_model.jars();
    m_listHeading->setSymbol(symbol);
    m_listHeading->setCount(int(jars.size()));
    m_clearAll->setEnabled(std::any_of(jars.begin(), jars.end(), [](const ClipboardJar &jar) { return !jar.entryIDs.isEmpty(); }));

    while (m_cards->count() > 1) {
        QLayoutItem *item = m_cards->takeAt(0);
        delete item->widget();
        delete item;
    }
    const QList<ClipboardJar> shown = m_model.filteredJars();
    if (shown.isEmpty()) {
        const bool searching = !m_model.searchText().isEmpty();
        m_empty->setContent(QStringLiteral("archivebox"),
                            L10n::text(searching ? QStringLiteral("Nič sa nenašlo") : QStringLiteral("Vytvor svoj prvý Jar")),
                            L10n::text(searching ? QStringLiteral("Skús iný názov Jaru.")
                                                 : QStringLiteral("Jars sú kolekcie, do ktorých si môžeš ukladať vybrané položky z Histórie.")));
        m_listBody->setCurrentWidget(m_empty);
        return;
    }
    // A Jar may still name entries that left the history; the card counts what the Jar lists.
    QSet<QString> present;
    for (const ClipboardEntry &entry : m_model.entries())
        present.insert(entry.id);
    int index = 0;
    for (const ClipboardJar &jar : shown) {
        const int listed = int(std::count_if(jar.entryIDs.begin(), jar.entryIDs.end(),
                                             [&present](const QString &id) { return present.contains(id); }));
        auto *card = new JarCard(jar, listed);
        connect(card, &JarCard::opened, this, &JarsScreen::openJar);
        connect(card, &JarCard::renameRequested, this, [this](const QString &id) { m_sheets.editJar(id); });
        connect(card, &JarCard::deleteRequested, this,
                [this](const QString &id) { m_sheets.confirmClear(ClearSection::DeleteJar, id); });
        m_cards->insertWidget(index++, card);
    }
    m_listBody->setCurrentWidget(m_scroll);
}
