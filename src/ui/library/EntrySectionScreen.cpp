#include "ui/library/EntrySectionScreen.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/library/EntryList.h"
#include "ui/library/SectionHeading.h"
#include "ui/panel/PanelSheets.h"
#include "ui/panel/SectionSymbols.h"
#include "ui/style/PanelButton.h"

#include <QVBoxLayout>

namespace {

struct SectionFacts {
    QString title;
    int count = 0;
    bool canClear = false;
    QString help;
    ClearSection clear = ClearSection::History;
};

SectionFacts factsOf(const ClipboardModel &model, ClipboardPanelTab tab)
{
    switch (tab) {
    case ClipboardPanelTab::Clipboard:
        return {L10n::text(QStringLiteral("Schránka")), int(model.clipboardEntries().size()),
                model.hasClearableClipboardEntries(), L10n::text(QStringLiteral("Vymazať Schránku")),
                ClearSection::Clipboard};
    case ClipboardPanelTab::PasteStack: {
        const int count = int(model.pasteStackEntries().size());
        return {QStringLiteral("Paste Stack"), count, count > 0, L10n::text(QStringLiteral("Vymazať celý Paste Stack")),
                ClearSection::PasteStack};
    }
    case ClipboardPanelTab::Pins: {
        const int pinned = int(std::count_if(model.entries().begin(), model.entries().end(),
                                             [](const ClipboardEntry &entry) { return entry.isPinned; }));
        return {L10n::text(QStringLiteral("Pripnuté")), pinned, pinned > 0,
                L10n::text(QStringLiteral("Vymazať všetky pripnuté položky")), ClearSection::Pins};
    }
    default:
        return {L10n::text(QStringLiteral("História")), int(model.entries().size()),
                model.hasClearableHistoryEntries(), L10n::text(QStringLiteral("Vymazať celú históriu")),
                ClearSection::History};
    }
}

} // namespace

EntrySectionScreen::EntrySectionScreen(ClipboardModel &model, PanelSheets &sheets, ClipboardPanelTab tab, QWidget *parent)
    : QWidget(parent), m_model(model), m_tab(tab)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    m_heading = new ScreenHeading(this);
    PanelSheets *host = &sheets;
    m_clear = ScreenHeading::clearButton(factsOf(model, tab).help);
    connect(m_clear, &PanelButton::clicked, this, [this, host] {
        host->confirmClear(factsOf(m_model, m_tab).clear);
    });
    m_heading->setAccessory(m_clear);
    m_list = new EntryList(model, sheets, tab == ClipboardPanelTab::PasteStack, this);
    connect(m_list, &EntryList::readTextRequested, this, &EntrySectionScreen::readTextRequested);
    layout->addWidget(m_heading);
    layout->addWidget(m_list, 1);
    for (auto signal : {&ClipboardModel::entriesChanged, &ClipboardModel::pasteStackEntryIDsChanged,
                        &ClipboardModel::consumedEntryIDsChanged, &ClipboardModel::jarsChanged,
                        &ClipboardModel::selectedTabChanged, &ClipboardModel::languageChanged})
        connect(&model, signal, this, &EntrySectionScreen::refresh, Qt::QueuedConnection);
    refresh();
}

void EntrySectionScreen::refresh()
{
    const SectionFacts facts = factsOf(m_model, m_tab);
    // The tile always shows the symbol of the section that is selected.
    m_heading->setSymbol(SectionSymbols::symbol(m_model.selectedTab()));
    m_heading->setTitle(facts.title);
    m_heading->setCount(facts.count);
    m_clear->setTitle(ScreenHeading::clearTitle());
    m_clear->setEnabled(facts.canClear);
    m_clear->setToolTip(facts.help);
    m_clear->setAccessibleName(facts.help);
}
