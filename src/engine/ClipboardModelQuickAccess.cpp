#include "engine/ClipboardModel.h"

#include "engine/QuickAccessChoices.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

namespace {

template <typename List, typename Id>
std::optional<qsizetype> positionOf(const List &list, const Id &id)
{
    if (!id)
        return std::nullopt;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).id == *id)
            return i;
    }
    return std::nullopt;
}

bool isImageEntry(const ClipboardEntry &entry)
{
    return entry.kind == ClipboardKind::Image;
}

} // namespace

const std::array<ClipboardTransform, 8> &ClipboardModel::quickTextOptions()
{
    return QuickAccessChoices::textOptions();
}

const std::array<QuickImageAction, 4> &ClipboardModel::quickImageOptions()
{
    return QuickAccessChoices::imageOptions();
}

const std::array<ClipboardPanelTab, 8> &ClipboardModel::quickAccessTabOrder()
{
    return QuickAccessChoices::tabOrder();
}

QList<ClipboardEntry> ClipboardModel::quickAccessTabEntries() const
{
    const auto historyWhere = [this](auto keep) {
        QList<ClipboardEntry> result;
        for (const ClipboardEntry &entry : m_entries) {
            if (keep(entry))
                result.append(entry);
        }
        return result;
    };
    switch (m_selectedTab) {
    case ClipboardPanelTab::Clipboard:
        return clipboardEntries();
    case ClipboardPanelTab::PasteStack:
        return pasteStackEntries();
    case ClipboardPanelTab::History:
        return m_entries;
    case ClipboardPanelTab::Jars:
        return selectedJarEntries();
    case ClipboardPanelTab::Pins:
        return historyWhere([](const ClipboardEntry &entry) { return entry.isPinned; });
    case ClipboardPanelTab::Gallery:
        return historyWhere([](const ClipboardEntry &entry) { return isImageEntry(entry) && !entry.isScreenshot; });
    case ClipboardPanelTab::Screenshots:
        return historyWhere([](const ClipboardEntry &entry) { return isImageEntry(entry) && entry.isScreenshot; });
    case ClipboardPanelTab::Snippets:
        return {};
    }
    return {};
}

bool ClipboardModel::QuickAccessListInputs::isSameAs(const QuickAccessListInputs &other) const
{
    // The history is compared by buffer: its entries can hold megabytes of text, and a write
    // to the model's list always detaches it from this copy. The small lists compare by value,
    // which is just as quick while they are still shared.
    return entries.isSharedWith(other.entries) && entries.size() == other.entries.size()
        && selectedTab == other.selectedTab && searchText == other.searchText
        && currentContext == other.currentContext && selectedJarID == other.selectedJarID
        && pasteStackEntryIDs == other.pasteStackEntryIDs && consumedEntryIDs == other.consumedEntryIDs
        && jars == other.jars;
}

ClipboardModel::QuickAccessListInputs ClipboardModel::quickAccessListInputs() const
{
    return {m_entries, m_pasteStackEntryIDs, m_consumedEntryIDs, m_jars, m_selectedJarID, m_selectedTab,
            m_searchText, m_currentContext};
}

QList<ClipboardEntry> ClipboardModel::quickAccessEntries() const
{
    QuickAccessListInputs inputs = quickAccessListInputs();
    if (m_quickAccessListMemo && m_quickAccessListMemo->inputs.isSameAs(inputs))
        return m_quickAccessListMemo->entries;
    QList<ClipboardEntry> entries = m_quickAccessSearchIndex.filtered(quickAccessTabEntries(), m_searchText);
    if (m_selectedTab == ClipboardPanelTab::Clipboard)
        entries = QuickAccessRanking::rankedForContext(std::move(entries), m_currentContext);
    m_quickAccessListMemo = QuickAccessListMemo{std::move(inputs), entries};
    return entries;
}

void ClipboardModel::prepareSearchFolds()
{
    struct Source {
        QString id;
        QString text;
        ClipboardKind kind;
    };
    QList<Source> sources;
    // Folded ahead only as far as the index keeps folds; the others are folded as they are
    // searched, so the work never holds a fold of the whole history.
    qsizetype room = m_quickAccessSearchIndex.foldRoom();
    for (const ClipboardEntry &entry : std::as_const(m_entries)) {
        if (entry.text.isEmpty() || entry.text.size() > room || m_quickAccessSearchIndex.hasFoldsFor(entry))
            continue;
        room -= entry.text.size();
        sources.append({entry.id, entry.text, entry.kind});
    }
    if (sources.isEmpty())
        return;
    using Prepared = QList<std::pair<QString, EntrySearchIndex::Folds>>;
    ++m_searchFoldsInWork;
    auto *watcher = new QFutureWatcher<Prepared>(this);
    connect(watcher, &QFutureWatcher<Prepared>::finished, this, [this, watcher] {
        --m_searchFoldsInWork;
        // An entry whose text changed meanwhile is folded again when it is searched.
        for (auto &[id, folds] : watcher->result())
            m_quickAccessSearchIndex.adopt(id, std::move(folds));
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run([sources = std::move(sources)] {
        Prepared prepared;
        prepared.reserve(sources.size());
        for (const Source &source : sources)
            prepared.append({source.id, EntrySearchIndex::foldsOf(source.text, source.kind)});
        return prepared;
    }));
}

QList<ClipboardSnippet> ClipboardModel::quickAccessSnippets() const
{
    return EntrySearchIndex::filtered(m_snippets, m_searchText);
}

int ClipboardModel::quickAccessItemCount() const
{
    if (m_selectedTab == ClipboardPanelTab::Snippets)
        return int(quickAccessSnippets().size());
    if (m_selectedTab == ClipboardPanelTab::Jars && !selectedJar())
        return int(filteredJars().size());
    return int(quickAccessEntries().size());
}

std::optional<ClipboardEntry> ClipboardModel::selectedQuickAccessEntry() const
{
    if (!m_selectedEntryID)
        return std::nullopt;
    const QList<ClipboardEntry> entries = quickAccessEntries();
    if (const std::optional<qsizetype> at = positionOf(entries, m_selectedEntryID))
        return entries.at(*at);
    return std::nullopt;
}

void ClipboardModel::beginQuickAccess(const std::optional<RunningApplication> &targetApplication)
{
    // A second opening while open comes from Tarnel's own window: re-recording would aim the
    // next paste at Tarnel and forget the application the user came from.
    if (!m_isQuickAccessPresented) {
        const bool isOwn = targetApplication && m_workspace && m_workspace->isOwn(*targetApplication);
        if (targetApplication && !isOwn) {
            m_pasteTargetApplication = targetApplication;
            setCurrentContext(targetApplication->name);
        } else {
            m_pasteTargetApplication.reset();
            setCurrentContext(QString());
        }
    }
    setIsQuickAccessPresented(true);
    setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
    setIsQuickPasteOptionsPresented(false);
    setSelectedQuickPasteOptionIndex(0);
    setSearchText(QString());
    setSelectedEntryID(std::nullopt);
    setSelectedQuickAccessSnippetID(std::nullopt);
}

void ClipboardModel::keepQuickAccessSelection()
{
    // Connected to the model's own signals so that every writer (a tab click, the arrow keys,
    // a Jar card, the search field of either surface) gets the same upkeep, once.
    connect(this, &ClipboardModel::selectedTabChanged, this, &ClipboardModel::keepSelectionForTab);
    connect(this, &ClipboardModel::selectedJarIDChanged, this, &ClipboardModel::keepSelectionForJar);
    connect(this, &ClipboardModel::searchTextChanged, this, &ClipboardModel::keepSelectionForSearch);
}

void ClipboardModel::keepSelectionForTab()
{
    if (!m_isQuickAccessPresented) {
        setSelectedEntryID(std::nullopt);
        return;
    }
    if (m_selectedTab == ClipboardPanelTab::Jars)
        setSelectedJarID(std::nullopt);
    if (m_selectedTab == ClipboardPanelTab::Snippets) {
        setSelectedEntryID(std::nullopt);
        const QList<ClipboardSnippet> snippets = quickAccessSnippets();
        setSelectedQuickAccessSnippetID(snippets.isEmpty() ? std::nullopt : std::optional(snippets.first().id));
        return;
    }
    const QList<ClipboardEntry> entries = quickAccessEntries();
    setSelectedEntryID(entries.isEmpty() ? std::nullopt : std::optional(entries.first().id));
    setSelectedQuickAccessSnippetID(std::nullopt);
}

void ClipboardModel::keepSelectionForJar()
{
    if (!m_isQuickAccessPresented || m_selectedTab != ClipboardPanelTab::Jars)
        return;
    const QList<ClipboardEntry> entries = quickAccessEntries();
    setSelectedEntryID(entries.isEmpty() ? std::nullopt : std::optional(entries.first().id));
}

void ClipboardModel::keepSelectionForSearch()
{
    if (m_isQuickAccessPresented)
        keepListedSelection();
}

void ClipboardModel::keepListedSelection()
{
    if (m_selectedTab == ClipboardPanelTab::Snippets) {
        const QList<ClipboardSnippet> snippets = quickAccessSnippets();
        if (!positionOf(snippets, m_selectedQuickAccessSnippetID))
            setSelectedQuickAccessSnippetID(snippets.isEmpty() ? std::nullopt : std::optional(snippets.first().id));
        return;
    }
    const QList<ClipboardEntry> entries = quickAccessEntries();
    if (!positionOf(entries, m_selectedEntryID))
        setSelectedEntryID(entries.isEmpty() ? std::nullopt : std::optional(entries.first().id));
}

void ClipboardModel::requestQuickSearchFocus()
{
    if (!m_isQuickAccessPresented)
        return;
    setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Search);
    setQuickSearchFocusRequest(QUuid::createUuid());
}

void ClipboardModel::focusQuickAccessItems()
{
    setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Items);
    keepListedSelection();
}

void ClipboardModel::navigateQuickAccessTab(int direction)
{
    if (!m_isQuickAccessPresented || m_isQuickPasteOptionsPresented)
        return;
    const auto &order = quickAccessTabOrder();
    const auto found = std::find(order.begin(), order.end(), m_selectedTab);
    const qsizetype count = qsizetype(order.size());
    const qsizetype current = found == order.end() ? 0 : qsizetype(found - order.begin());
    const qsizetype next = ((current + direction) % count + count) % count;
    setSelectedTab(order.at(std::size_t(next)));
    setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
}

void ClipboardModel::navigateQuickAccessSnippet(int direction)
{
    const QList<ClipboardSnippet> snippets = quickAccessSnippets();
    if (snippets.isEmpty())
        return;
    qsizetype next = 0;
    if (const std::optional<qsizetype> at = positionOf(snippets, m_selectedQuickAccessSnippetID))
        next = std::clamp<qsizetype>(*at + direction, 0, snippets.size() - 1);
    else
        next = direction < 0 ? snippets.size() - 1 : 0;
    setSelectedQuickAccessSnippetID(snippets.at(next).id);
}

bool ClipboardModel::openQuickPasteOptions()
{
    const std::optional<ClipboardEntry> entry = selectedQuickAccessEntry();
    if (!entry || entry->kind == ClipboardKind::File)
        return false;
    setSelectedQuickPasteOptionIndex(0);
    setIsQuickPasteOptionsPresented(true);
    return true;
}

void ClipboardModel::navigateQuickPasteOption(int direction)
{
    const std::optional<ClipboardEntry> entry = selectedQuickAccessEntry();
    const int last = entry && isImageEntry(*entry) ? int(quickImageOptions().size()) - 1
                                                   : int(quickTextOptions().size()) - 1;
    setSelectedQuickPasteOptionIndex(std::clamp(m_selectedQuickPasteOptionIndex + direction, 0, last));
}

void ClipboardModel::commitQuickPasteOption()
{
    const std::optional<ClipboardEntry> entry = selectedQuickAccessEntry();
    if (!entry)
        return;
    const int index = m_selectedQuickPasteOptionIndex;
    if (isImageEntry(*entry)) {
        if (index >= 0 && index < int(quickImageOptions().size()))
            setQuickImageActionRequest(QuickImageActionRequest{entry->id, quickImageOptions().at(std::size_t(index))});
        return;
    }
    if (index >= 0 && index < int(quickTextOptions().size()))
        pasteText(ClipboardTransforms::apply(quickTextOptions().at(std::size_t(index)), entry->text));
}

void ClipboardModel::commitQuickAccessSelection()
{
    if (m_selectedTab != ClipboardPanelTab::Snippets) {
        pasteSelectedEntry(quickAccessEntries());
        return;
    }
    const QList<ClipboardSnippet> snippets = quickAccessSnippets();
    if (snippets.isEmpty())
        return;
    const std::optional<qsizetype> at = positionOf(snippets, m_selectedQuickAccessSnippetID);
    pasteText(snippets.at(at.value_or(0)).text);
}
