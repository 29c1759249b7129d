#include "ui/library/EntryList.h"

#include "core/AppShortcut.h"
#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/library/EntryListAccessible.h"
#include "ui/library/EntryListModel.h"
#include "core/FormattedText.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/panel/DelayedEntryActions.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/panel/PanelSheets.h"
#include "ui/panel/SectionSymbols.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelMotion.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QToolTip>

#include <cmath>

namespace {

// A press of the right button, or of the left one with Ctrl held: the desktop's context click.
bool isSecondaryPress(const QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    if (mouse->button() == Qt::RightButton)
        return true;
    return mouse->button() == Qt::LeftButton && mouse->modifiers().testFlag(Qt::ControlModifier);
}

using Control = EntryRowDelegate::Control;

struct EmptyTexts {
    QString symbol;
    QString title;
    QString message;
};

EmptyTexts emptyTexts(ClipboardPanelTab tab, bool historyIsEmpty)
{
    switch (tab) {
    case ClipboardPanelTab::Clipboard:
        if (historyIsEmpty)
            return {QStringLiteral("doc.on.clipboard"), QStringLiteral("Tvoja schránka začína tu"),
                    QStringLiteral("Skopíruj text, obrázok alebo súbor.\nNájdeš ho tu pripravený na vloženie.")};
        return {QStringLiteral("doc.on.clipboard"), QStringLiteral("Schránka je prázdna"),
                QStringLiteral("Položky v Stacku a Pripnutých sú v ich sekciách. V Histórii nájdeš všetky kópie.")};
    case ClipboardPanelTab::Jars:
        return {QStringLiteral("archivebox"), QStringLiteral("Jar je prázdny"),
                QStringLiteral("Pridaj položky z Histórie cez menu položky a možnosť Pridať do Jaru.")};
    case ClipboardPanelTab::Pins:
        return {QStringLiteral("pin"), QStringLiteral("Dôležité veci poruke"),
                QStringLiteral("V menu položky vyber Pripnúť. Zostane tu aj po vložení.")};
    case ClipboardPanelTab::PasteStack:
        return {QStringLiteral("square.stack.3d.up"), QStringLiteral("Paste Stack je prázdny"),
                QStringLiteral("Pridaj položky z Histórie tlačidlom + alebo skopíruj výber cez %@.")};
    default:
        return {QStringLiteral("clock.arrow.circlepath"), QStringLiteral("História je prázdna"),
                QStringLiteral("Skopíruj text, obrázok alebo súbor. V Histórii zostane aj po vložení.")};
    }
}

} // namespace

QString EntryList::helpText(Control control, const ClipboardEntry &entry, bool isInStack)
{
    switch (control) {
    case Control::Pin:
        return L10n::text(entry.isPinned ? QStringLiteral("Odopnúť položku") : QStringLiteral("Pripnúť položku"));
    case Control::AddToStack:
        return L10n::text(isInStack ? QStringLiteral("Už je v Paste Stack") : QStringLiteral("Pridať do Paste Stack"));
    case Control::RemoveFromStack:
        return L10n::text(QStringLiteral("Odobrať z Paste Stack"));
    case Control::ReadText:
        return L10n::text(QStringLiteral("Získať text"));
    case Control::Delete:
        return L10n::text(QStringLiteral("Vymazať položku"));
    case Control::AllActions:
        return L10n::text(QStringLiteral("Všetky akcie"));
    case Control::Toggle:
        return L10n::text(QStringLiteral("Akcie položky"));
    case Control::ExpandText:
        return L10n::text(QStringLiteral("Rozbaliť alebo zbaliť text"));
    default:
        return {};
    }
}

QString EntryList::accessibleLabel(Control control, const ClipboardEntry &entry, bool isInStack, bool isTextUnfolded)
{
    // The formats name the entry, so a screen reader tells one row's delete from another's.
    const QStringList preview{entry.boundedPreview()};
    switch (control) {
    case Control::RemoveFromStack:
        return FormattedText::substitute(L10n::text(QStringLiteral("Odobrať %@ z Paste Stack")), preview);
    case Control::Delete:
        return FormattedText::substitute(L10n::text(QStringLiteral("Vymazať položku: %@")), preview);
    case Control::Toggle:
        return FormattedText::substitute(L10n::text(QStringLiteral("Akcie: %@")), preview);
    case Control::ExpandText:
        return L10n::text(isTextUnfolded ? QStringLiteral("Menej") : QStringLiteral("Viac"));
    case Control::PasteText:
        return L10n::text(QStringLiteral("Vložiť text"));
    case Control::Handle:
        return L10n::text(QStringLiteral("Potiahni na zmenu poradia"));
    default:
        return helpText(control, entry, isInStack);
    }
}

QString EntryList::accessibleValue(Control control, const ClipboardEntry &entry)
{
    if (control == Control::Pin)
        return L10n::text(entry.isPinned ? QStringLiteral("Pripnuté") : QStringLiteral("Nepripnuté"));
    return {};
}

EntryList::EntryList(ClipboardModel &model, PanelSheets &sheets, bool inPasteStack, QWidget *parent)
    : QWidget(parent), m_model(model), m_sheets(sheets), m_inPasteStack(inPasteStack)
{
    EntryListAccessible::install();
    m_entries = new EntryListModel(this);
    ClipboardModel *source = &model;
    m_thumbnails = new EntryThumbnails(EntryThumbnails::reading(model.imageBytes()), this);
    EntryRowDelegate::Context context;
    context.selectedID = [source] { return source->selectedEntryID(); };
    context.expandedID = [this] { return m_sheets.expandedControlsEntryID(); };
    context.draggedID = [this] { return m_draggedID; };
    context.actionEntryID = [this] { return m_actionEntryID; };
    context.stripOpacity = [this] { return m_stripOpacity; };
    context.isInPasteStack = [source](const QString &id) { return source->pasteStackEntryIDs().contains(id); };
    context.isTextUnfolded = [this](const QString &id) { return m_unfoldedTexts.contains(id); };
    context.rowWidget = [this](const QString &id) -> ClipboardRow * { return m_rowWidgets.value(id); };
    context.isStripInert = [this] { return m_stripInert; };
    context.keyboardControl = [this] { return m_keyboardControl; };
    context.slideOffset = [this](const QString &id) { return slideOffset(id); };
    m_delegate = new EntryRowDelegate(*m_entries, *m_thumbnails, inPasteStack, context, this);

    m_view = new QListView(this);
    m_view->setModel(m_entries);
    m_view->setItemDelegate(m_delegate);
    m_view->setFrameShape(QFrame::NoFrame);
    // Every row is one height until one shows its whole text (keepRowHeights).
    m_view->setUniformItemSizes(true);
    m_view->setResizeMode(QListView::Adjust);
    m_view->setSelectionMode(QAbstractItemView::NoSelection);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setMouseTracking(true);
    m_view->setAutoFillBackground(false);
    m_view->viewport()->setAutoFillBackground(false);
    m_view->setAttribute(Qt::WA_TranslucentBackground);
    m_view->viewport()->installEventFilter(this);
    m_view->installEventFilter(this);
    watchSecondaryClicks(m_view->viewport());

    m_empty = new PanelEmptyState(QString(), QString(), QString(), this);
    m_readingNote = new QLabel(this);
    m_readingNote->setWordWrap(true);
    m_readingNote->setAlignment(Qt::AlignCenter);
    m_readingNote->setContentsMargins(8, 4, 8, 4);
    m_readingNote->hide();
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_readingNote);
    m_stack = new QStackedLayout;
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_view);
    m_stack->addWidget(m_empty);
    column->addLayout(m_stack, 1);

    connect(m_thumbnails, &EntryThumbnails::ready, this, [this](const QString &id) {
        const int row = m_entries->rowOf(id);
        if (row >= 0)
            m_view->update(m_entries->index(row));
    });
    for (auto signal : {&ClipboardModel::entriesChanged, &ClipboardModel::selectedTabChanged,
                        &ClipboardModel::searchTextChanged, &ClipboardModel::pasteStackEntryIDsChanged,
                        &ClipboardModel::jarsChanged, &ClipboardModel::selectedJarIDChanged,
                        &ClipboardModel::consumedEntryIDsChanged, &ClipboardModel::currentContextChanged,
                        &ClipboardModel::historyReadingChanged})
        connect(&model, signal, this, &EntryList::refresh, Qt::QueuedConnection);
    connect(&model, &ClipboardModel::selectedEntryIDChanged, this, &EntryList::scrollToSelection, Qt::QueuedConnection);
    setFocusProxy(m_view);
    refresh();
}

EntryList::~EntryList() = default;

int EntryList::dragTarget(int startIndex, qreal translation, int count)
{
    const int offset = int(std::round(translation / kDragPitch)); // std::round takes halves away from zero
    return std::clamp(startIndex + offset, 0, std::max(0, count - 1));
}

bool EntryList::isShowingEmptyState() const { return m_stack->currentWidget() == m_empty; }

QString EntryList::readingNote() const
{
    return m_readingNote->isHidden() ? QString() : m_readingNote->text();
}

void EntryList::refresh()
{
    const QList<ClipboardEntry> entries = m_model.quickAccessEntries();
    // While the rows list the whole history (no other section, no search), they follow it by
    // the rows each copy put in and each trim took out, so a copy costs the same however long
    // the history is; any other change compares the lists.
    const bool wholeHistory = !entries.isEmpty() && entries.isSharedWith(m_model.entries());
    const std::optional<QList<HistoryRowEdit>> edits =
        wholeHistory && m_mirroredHistoryChange ? m_model.historyRowEditsSince(*m_mirroredHistoryChange) : std::nullopt;
    if (!edits || !m_entries->applyRowEdits(entries, *edits))
        m_entries->setEntries(entries);
    m_mirroredHistoryChange = wholeHistory ? std::optional(m_model.historyChangeCount()) : std::nullopt;
    syncRowWidgets();
    startSlide();
    // The lists of the history say when it is not all there, never as though it were empty.
    const bool listsHistory = !m_inPasteStack && m_model.searchText().isEmpty()
        && (m_model.selectedTab() == ClipboardPanelTab::History || m_model.selectedTab() == ClipboardPanelTab::Clipboard);
    const ClipboardModel::HistoryReading reading = m_model.historyReading();
    QString note;
    if (listsHistory && reading == ClipboardModel::HistoryReading::NotReadYet)
        note = L10n::text(ClipboardModel::historyNotReadMessage);
    else if (listsHistory && reading == ClipboardModel::HistoryReading::ReadAfterAll)
        note = FormattedText::substitute(L10n::text(ClipboardModel::historyReadAfterAllNotice),
                                         {QString::number(m_model.historyReadAfterAllCount())});
    m_readingNote->setText(note);
    m_readingNote->setVisible(!note.isEmpty() && !m_entries->entries().isEmpty());
    if (!m_entries->entries().isEmpty()) {
        m_stack->setCurrentWidget(m_view);
        m_view->viewport()->update();
        return;
    }
    if (!m_model.searchText().isEmpty()) {
        // The stack keeps its own symbol while a search finds nothing in it.
        m_empty->setContent(m_inPasteStack ? QStringLiteral("square.stack.3d.up") : QStringLiteral("magnifyingglass"),
                            L10n::text(QStringLiteral("Nič sa nenašlo")),
                            L10n::text(m_inPasteStack ? QStringLiteral("Skús iný výraz vyhľadávania.")
                                                      : QStringLiteral("Skús iné slovo, názov aplikácie alebo typ obsahu.")));
    } else if (listsHistory && reading == ClipboardModel::HistoryReading::NotReadYet) {
        m_empty->setContent(SectionSymbols::symbol(m_model.selectedTab()), L10n::text(ClipboardModel::historyNotReadTitle),
                            note);
    } else {
        const EmptyTexts texts = emptyTexts(m_model.selectedTab(), m_model.entries().isEmpty());
        m_empty->setContent(m_inPasteStack ? texts.symbol : SectionSymbols::symbol(m_model.selectedTab()),
                            L10n::text(texts.title),
                            // The Paste Stack's copy shortcut, named as the desktop shows keys.
                            L10n::text(texts.message).replace(QStringLiteral("%@"), AppShortcut(AppShortcut::pasteStack).label()));
    }
    m_stack->setCurrentWidget(m_empty);
}

std::optional<ClipboardEntry> EntryList::current(const QString &entryID) const
{
    for (const ClipboardEntry &entry : m_model.entries()) {
        if (entry.id == entryID)
            return entry;
    }
    return std::nullopt;
}

void EntryList::presentActions(const ClipboardEntry &entry)
{
    unfold(entry.id);
    m_model.setSelectedEntry(entry);
    // The menu opens beside the row's toggle; the panel keeps itself expanded while it is open.
    QRect anchor(QCursor::pos(), QSize(1, 1));
    const int row = m_entries->rowOf(entry.id);
    if (row >= 0) {
        const QRect item = m_view->visualRect(m_entries->index(row));
        const EntryRowDelegate::Layout layout = EntryRowDelegate::layout(item, entry, m_inPasteStack, true);
        const QRect toggle = layout.controls.last().second.toAlignedRect();
        anchor = QRect(m_view->viewport()->mapToGlobal(toggle.topLeft()), toggle.size());
    }
    EntryActionsMenu *menu = EntryActionsMenu::popUp(m_model, entry.id, anchor);
    if (!menu)
        return;
    m_actionEntryID = entry.id;
    m_sheets.setActionEntry(entry);
    // The panel outlives its lists and hears of every close, even one after this list is gone,
    // for as long as the panel itself is there.
    PanelSheets *sheets = &m_sheets;
    const ClipboardEntry shown = entry;
    connect(menu, &EntryActionsMenu::closed, sheets->lifetime(), [sheets] { sheets->setActionEntry(std::nullopt); });
    connect(menu, &EntryActionsMenu::closed, this, [this] {
        m_actionEntryID.reset();
        m_view->viewport()->update();
    });
    connect(menu, &EntryActionsMenu::editRequested, sheets->lifetime(), [sheets, shown] { sheets->editEntry(shown); });
    connect(menu, &EntryActionsMenu::previewImageRequested, sheets->lifetime(), [sheets, shown] { sheets->previewImage(shown); });
    connect(menu, &EntryActionsMenu::createImageRequested, sheets->lifetime(), [sheets, shown] { sheets->composeImage(shown); });
}

void EntryList::unfold(const std::optional<QString> &entryID)
{
    const std::optional<QString> before = m_sheets.expandedControlsEntryID();
    const bool revealing = entryID && before != entryID;
    m_sheets.setExpandedControlsEntryID(entryID);
    if (revealing) {
        // The strip is there at once (the header makes room) but shows and answers only after
        // the delay, then fades in.
        const quint64 serial = ++m_revealSerial;
        m_stripInert = true;
        m_stripOpacity = 0;
        const auto reveal = [this, serial] {
            if (serial != m_revealSerial)
                return;
            m_stripInert = false;
            PanelMotion::animate(this, "strip", 0.0, 1.0, DelayedEntryActions::kFadeDuration, PanelMotion::easeOut(),
                                 [this](const QVariant &value) {
                                     m_stripOpacity = value.toReal();
                                     m_view->viewport()->update();
                                 });
            m_view->viewport()->update();
        };
        const std::chrono::milliseconds delay = PanelMotion::scaled(DelayedEntryActions::kRevealDelay);
        if (delay.count() <= 0)
            reveal();
        else
            QTimer::singleShot(delay, this, reveal);
    }
    // A row widget narrows or widens with the strip beside it.
    if (before != entryID) {
        relayoutRow(before);
        relayoutRow(entryID);
    }
    m_view->viewport()->update();
}

ClipboardRow *EntryList::rowWidget(const QString &entryID) const { return m_rowWidgets.value(entryID); }

void EntryList::relayoutRow(const std::optional<QString> &entryID)
{
    if (!entryID)
        return;
    const int row = m_entries->rowOf(*entryID);
    if (row >= 0 && m_rowWidgets.value(*entryID))
        Q_EMIT m_delegate->sizeHintChanged(m_entries->index(row));
}

void EntryList::toggleText(const ClipboardEntry &entry)
{
    if (m_unfoldedTexts.remove(entry.id)) {
        if (ClipboardRow *widget = m_rowWidgets.value(entry.id))
            widget->setExpanded(false);
        keepRowHeights();
        m_view->viewport()->update();
        return;
    }
    m_unfoldedTexts.insert(entry.id);
    if (ClipboardRow *widget = m_rowWidgets.value(entry.id))
        widget->setExpanded(true);
    else
        showRowWidget(entry, true);
    keepRowHeights();
    m_view->viewport()->update();
}

void EntryList::keepRowHeights()
{
    // While every row is one header high the view takes one row's height for all, so a copy on
    // top of a long history is laid out without measuring each row again. A row that shows its
    // whole text (or is still folding away) is taller, and then each row is measured.
    bool uniform = m_rowWidgets.isEmpty();
    for (auto it = m_unfoldedTexts.cbegin(); uniform && it != m_unfoldedTexts.cend(); ++it)
        uniform = m_entries->rowOf(*it) < 0;
    if (m_view->uniformItemSizes() == uniform)
        return;
    m_view->setUniformItemSizes(uniform);
    m_view->doItemsLayout();
}

ClipboardRow *EntryList::showRowWidget(const ClipboardEntry &entry, bool animated)
{
    const int row = m_entries->rowOf(entry.id);
    if (row < 0 || !ClipboardRow::canExpand(entry))
        return nullptr;
    auto *widget = new ClipboardRow(entry, m_model.selectedEntryID() == entry.id);
    widget->setPassesHeaderClicks(true);
    m_rowWidgets.insert(entry.id, widget);
    keepRowHeights();
    m_view->setIndexWidget(m_entries->index(row), widget);
    // The card under it is the delegate's; the row draws only its header and text.
    widget->setAutoFillBackground(false);
    const QString id = entry.id;
    connect(widget, &ClipboardRow::activated, this, [this, id] { trigger(id, Control::PasteText); });
    connect(widget, &ClipboardRow::unfoldProgressChanged, this, [this, id] { followRowWidget(id); });
    widget->setExpanded(true, animated);
    return widget;
}

void EntryList::followRowWidget(const QString &entryID)
{
    const QPointer<ClipboardRow> widget = m_rowWidgets.value(entryID);
    const int row = m_entries->rowOf(entryID);
    if (widget && !widget->isExpanded() && widget->unfoldProgress() <= 0) {
        // Folded all the way: the row is drawn by the delegate alone again.
        m_rowWidgets.remove(entryID);
        if (row >= 0 && m_view->indexWidget(m_entries->index(row)) == widget)
            m_view->setIndexWidget(m_entries->index(row), nullptr);
        else
            widget->deleteLater();
    }
    if (row >= 0)
        Q_EMIT m_delegate->sizeHintChanged(m_entries->index(row));
    keepRowHeights();
}

void EntryList::syncRowWidgets()
{
    // A reset of the list takes its row widgets along; unfolded texts come back unfolded.
    for (auto it = m_rowWidgets.begin(); it != m_rowWidgets.end();) {
        if (it.value() && m_entries->rowOf(it.key()) >= 0) {
            ++it;
        } else {
            if (it.value())
                it.value()->deleteLater();
            it = m_rowWidgets.erase(it);
        }
    }
    const std::optional<QString> selected = m_model.selectedEntryID();
    for (const ClipboardEntry &entry : m_entries->entries()) {
        if (!m_unfoldedTexts.contains(entry.id))
            continue;
        if (ClipboardRow *widget = m_rowWidgets.value(entry.id)) {
            widget->setEntry(entry);
            widget->setSelected(selected == entry.id);
        } else {
            showRowWidget(entry, false);
        }
    }
    keepRowHeights();
}

bool EntryList::trigger(const QString &entryID, Control control)
{
    // The row may show an entry that was trimmed, expired or deleted since it was drawn.
    const std::optional<ClipboardEntry> entry = current(entryID);
    if (!entry)
        return false;
    switch (control) {
    case Control::Header:
        if (entry->kind == ClipboardKind::Image)
            m_sheets.previewImage(*entry);
        else
            m_model.pasteHistoryEntryFromClick(*entry);
        break;
    case Control::Pin:
        m_model.togglePin(*entry);
        break;
    case Control::AddToStack:
        m_model.addToPasteStack(*entry);
        break;
    case Control::RemoveFromStack:
        m_model.removeFromPasteStack(*entry);
        break;
    case Control::ReadText:
        Q_EMIT readTextRequested(*entry);
        break;
    case Control::Delete:
        m_model.deleteEntry(*entry);
        break;
    case Control::AllActions:
        presentActions(*entry);
        break;
    case Control::Toggle:
        unfold(m_sheets.expandedControlsEntryID() == entry->id ? std::nullopt : std::optional(entry->id));
        break;
    case Control::ExpandText:
        toggleText(*entry);
        break;
    case Control::PasteText:
        m_model.pasteHistoryEntryFromClick(*entry);
        break;
    case Control::Handle:
    case Control::None:
        break;
    }
    return true;
}

void EntryList::press(const QPoint &position, const QPoint &globalPosition)
{
    const QModelIndex index = m_view->indexAt(position);
    const ClipboardEntry *entry = m_entries->entryAt(index.row());
    if (!entry)
        return;
    const Control control = m_delegate->controlAt(index, m_view->visualRect(index), position);
    if (control == Control::Handle) {
        m_pressedHandleID = entry->id;
        m_dragOrigin = globalPosition;
        return;
    }
    trigger(entry->id, control);
}

void EntryList::pressAgain(const QPoint &position)
{
    // A paste clicked twice: the model tells the second click from a new one and pastes once,
    // but it has to hear of it, since the click took the keyboard from where the paste went.
    // Every other control acts on the first press only.
    const QModelIndex index = m_view->indexAt(position);
    const ClipboardEntry *entry = m_entries->entryAt(index.row());
    if (!entry)
        return;
    const Control control = m_delegate->controlAt(index, m_view->visualRect(index), position);
    if ((control == Control::Header && entry->kind != ClipboardKind::Image) || control == Control::PasteText)
        m_model.pasteHistoryEntryFromClick(*entry);
}

void EntryList::dragTo(const QPoint &globalPosition)
{
    if (!m_pressedHandleID)
        return;
    const qreal translation = globalPosition.y() - m_dragOrigin.y();
    if (!m_draggedID && std::abs(translation) < kDragStartDistance)
        return;
    // No reordering while the list is narrowed by a search, nor of a stack of one.
    if (!m_model.searchText().isEmpty() || m_model.pasteStackEntryIDs().size() < 2)
        return;
    const QString id = *m_pressedHandleID;
    if (m_draggedID != id) {
        m_draggedID = id;
        const qsizetype start = m_model.pasteStackEntryIDs().indexOf(id);
        m_dragStartIndex = start < 0 ? std::nullopt : std::optional<int>(int(start));
        m_view->viewport()->update();
    }
    if (!m_dragStartIndex)
        return;
    const int target = dragTarget(*m_dragStartIndex, translation, int(m_model.pasteStackEntryIDs().size()));
    if (m_model.pasteStackEntryIDs().indexOf(id) != target)
        moveInStack(id, target);
}

void EntryList::hover(const QPoint &position)
{
    const QModelIndex index = m_view->indexAt(position);
    const ClipboardEntry *entry = m_entries->entryAt(index.row());
    const Control control = entry ? m_delegate->controlAt(index, m_view->visualRect(index), position) : Control::None;
    m_delegate->setHovered(index, control);
    if (entry && m_model.selectedEntryID() != entry->id)
        m_model.setSelectedEntry(*entry);
    m_view->viewport()->update();
}

void EntryList::scrollToSelection()
{
    m_view->viewport()->update();
    const std::optional<QString> id = m_model.selectedEntryID();
    for (auto it = m_rowWidgets.cbegin(); it != m_rowWidgets.cend(); ++it) {
        if (it.value())
            it.value()->setSelected(id == it.key());
    }
    // The keyboard's control belongs to the row it was on.
    m_keyboardControl = Control::None;
    if (!m_model.isQuickAccessPresented() || !id || id->isEmpty())
        return;
    const int row = m_entries->rowOf(*id);
    if (row >= 0)
        m_view->scrollTo(m_entries->index(row), QAbstractItemView::EnsureVisible);
}

bool EntryList::moveKeyboardControl(bool forward)
{
    const std::optional<QString> id = m_model.selectedEntryID();
    const int row = id ? m_entries->rowOf(*id) : -1;
    const ClipboardEntry *entry = m_entries->entryAt(row);
    if (!entry) {
        m_keyboardControl = Control::None;
        return false;
    }
    const QList<Control> controls = m_delegate->controlsOf(*entry);
    qsizetype at = controls.indexOf(m_keyboardControl);
    if (at < 0)
        at = forward ? 0 : controls.size() - 1;
    else
        at += forward ? 1 : -1;
    // Past either end the keyboard leaves the row's controls, and Tab goes on to the next widget.
    m_keyboardControl = at >= 0 && at < controls.size() ? controls.at(at) : Control::None;
    m_view->viewport()->update();
    return m_keyboardControl != Control::None;
}

void EntryList::moveInStack(const QString &entryID, int target)
{
    m_slideFrom.clear();
    for (int row = 0; row < m_entries->rowCount(); ++row) {
        if (const ClipboardEntry *entry = m_entries->entryAt(row))
            m_slideFrom.insert(entry->id, m_view->visualRect(m_entries->index(row)).top());
    }
    m_model.movePasteStackEntry(entryID, target);
}

void EntryList::startSlide()
{
    if (m_slideFrom.isEmpty())
        return;
    // Each row starts where it was drawn and eases into its new place.
    m_slideDistances.clear();
    for (int row = 0; row < m_entries->rowCount(); ++row) {
        const ClipboardEntry *entry = m_entries->entryAt(row);
        const auto before = entry ? m_slideFrom.constFind(entry->id) : m_slideFrom.cend();
        if (before == m_slideFrom.cend())
            continue;
        const int distance = *before - m_view->visualRect(m_entries->index(row)).top();
        if (distance != 0)
            m_slideDistances.insert(entry->id, distance);
    }
    m_slideFrom.clear();
    m_slideLeft = 1.0;
    PanelMotion::animate(this, "slide", 1.0, 0.0, kReorderDuration, PanelMotion::easeOut(), [this](const QVariant &value) {
        m_slideLeft = value.toReal();
        m_view->viewport()->update();
    });
}

bool EntryList::moveWithKeyboard(int direction)
{
    // The handle held by the keyboard moves its entry one place per arrow, under the drag's
    // rules: not while a search narrows the list.
    const std::optional<QString> id = m_model.selectedEntryID();
    if (!id || !m_model.searchText().isEmpty())
        return true;
    const QStringList order = m_model.pasteStackEntryIDs();
    const qsizetype at = order.indexOf(*id);
    if (at < 0)
        return true;
    const int target = std::clamp(int(at) + direction, 0, int(order.size()) - 1);
    if (target != at)
        moveInStack(*id, target);
    return true;
}

bool EntryList::handleKey(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && m_keyboardControl == Control::Handle)
        return moveWithKeyboard(key == Qt::Key_Up ? -1 : 1);
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        m_model.navigateSelection(m_entries->entries(), key == Qt::Key_Up ? -1 : 1);
        return true;
    }
    if ((key == Qt::Key_Tab && modifiers == Qt::NoModifier) || key == Qt::Key_Backtab)
        return moveKeyboardControl(key == Qt::Key_Tab);
    const std::optional<QString> id = m_model.selectedEntryID();
    const std::optional<ClipboardEntry> entry = id ? current(*id) : std::nullopt;
    if (!entry || m_entries->rowOf(entry->id) < 0)
        return false;
    // The actions menu from the keyboard, as a right click opens it.
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        presentActions(*entry);
        return true;
    }
    if (m_keyboardControl == Control::None)
        return false;
    if (key == Qt::Key_Escape) {
        m_keyboardControl = Control::None;
        m_view->viewport()->update();
        return true;
    }
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        const Control control = m_keyboardControl;
        trigger(entry->id, control);
        // A control that went away with its press (the strip folded, the row deleted) lets go.
        const std::optional<ClipboardEntry> after = current(entry->id);
        if (!after || !m_delegate->controlsOf(*after).contains(control))
            m_keyboardControl = Control::None;
        m_view->viewport()->update();
        return true;
    }
    return false;
}

void EntryList::watchSecondaryClicks(QObject *object)
{
    object->installEventFilter(this);
    for (QObject *child : object->children()) {
        if (child->isWidgetType())
            watchSecondaryClicks(child);
    }
}

bool EntryList::handleSecondaryClick(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        // Widgets laid over a row later (an unfolded text, its button) are watched as well.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            watchSecondaryClicks(child);
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!isSecondaryPress(event))
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        m_claimedLeftPress = mouse->button() == Qt::LeftButton;
        const QPoint at = m_view->viewport()->mapFromGlobal(mouse->globalPosition().toPoint());
        if (const ClipboardEntry *entry = m_entries->entryAt(m_view->indexAt(at).row()))
            presentActions(*entry);
        return true;
    }
    case QEvent::MouseButtonRelease:
        // The left release that ends a claimed Ctrl-click is claimed too, so no button inside a
        // row sees half a click.
        if (m_claimedLeftPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_claimedLeftPress = false;
            return watched != m_view->viewport(); // the viewport still ends its own press below
        }
        return false;
    case QEvent::ContextMenu:
        // The secondary click is the row's: no default menu (a selectable text's) opens over it.
        // The menu key keeps its own meaning.
        return static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse;
    default:
        return false;
    }
}

bool EntryList::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport and every widget laid over it: a secondary click (the right button, or the
    // left one with Ctrl) on a row opens its actions, and nothing else inside the row sees it.
    if (watched != m_view && handleSecondaryClick(watched, event))
        return true;
    if (watched == m_view && event->type() == QEvent::KeyPress)
        return handleKey(static_cast<QKeyEvent *>(event));
    if (watched != m_view->viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && !(mouse->modifiers() & Qt::ControlModifier)) {
            m_view->setFocus(Qt::MouseFocusReason);
            press(mouse->position().toPoint(), mouse->globalPosition().toPoint());
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() & Qt::LeftButton)
            dragTo(mouse->globalPosition().toPoint());
        else
            hover(mouse->position().toPoint());
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_draggedID)
            m_view->viewport()->update();
        m_pressedHandleID.reset();
        m_draggedID.reset();
        m_dragStartIndex.reset();
        return true;
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && !(mouse->modifiers() & Qt::ControlModifier))
            pressAgain(mouse->position().toPoint());
        return true;
    }
    case QEvent::Leave:
        m_delegate->setHovered({}, Control::None);
        m_view->viewport()->update();
        return false;
    case QEvent::ToolTip: {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = m_view->indexAt(help->pos());
        const ClipboardEntry *entry = m_entries->entryAt(index.row());
        const Control control = entry ? m_delegate->controlAt(index, m_view->visualRect(index), help->pos()) : Control::None;
        QString text;
        if (control == Control::Handle)
            text = L10n::text(m_model.searchText().isEmpty() ? QStringLiteral("Potiahni nahor alebo nadol na zmenu poradia")
                                                             : QStringLiteral("Vymaž vyhľadávanie na zmenu poradia"));
        else if (entry)
            text = helpText(control, *entry, m_model.pasteStackEntryIDs().contains(entry->id));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, m_view->viewport());
        return true;
    }
    default:
        return false;
    }
}
