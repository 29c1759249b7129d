#include "ui/quickaccess/QuickAccessView.h"

#include "ui/panel/SectionSymbols.h"

#include "core/AppShortcut.h"
#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/library/JarCard.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/quickaccess/QuickAccessIconButton.h"
#include "ui/quickaccess/QuickAccessItemDelegate.h"
#include "ui/quickaccess/QuickAccessListModel.h"
#include "ui/quickaccess/QuickAccessListView.h"
#include "ui/quickaccess/QuickAccessOptionsPage.h"
#include "ui/quickaccess/QuickAccessPermissionNotice.h"
#include "ui/quickaccess/QuickAccessTabBar.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelField.h"
#include "ui/style/LiveText.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelScrollArea.h"
#include "ui/style/PanelStyle.h"

#include <QCursor>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QScrollArea>
#include <QPainter>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

enum Surface { ListsSurface, OptionsSurface, NoticeSurface };
enum Content { ListContent, EmptyContent, JarsContent };

constexpr int kJarBackSide = 25;
constexpr int kFieldSymbolSide = 18;
constexpr int kFieldSpacing = 9;
constexpr int kJarHeaderSpacing = 7;
constexpr int kJarSpacing = 6;
constexpr int kJarCardSpacing = 6;
constexpr int kJarCardsBottom = 2;
constexpr qreal kJarNameSize = 10;
constexpr qreal kJarCountSize = 8;

struct EmptyText {
    const char *title;
    const char *message;
};

EmptyText emptyText(ClipboardPanelTab tab, bool historyEmpty)
{
    switch (tab) {
    case ClipboardPanelTab::Clipboard:
        return {historyEmpty ? "Tvoja schránka začína tu" : "Schránka je prázdna",
                "Skopíruj text, obrázok alebo súbor.\nNájdeš ho tu pripravený na vloženie."};
    case ClipboardPanelTab::PasteStack:
        return {"Paste Stack je prázdny", "Pridaj položky z Histórie tlačidlom + alebo skopíruj výber cez %@."};
    case ClipboardPanelTab::Pins:
        return {"Dôležité veci poruke", "V menu položky vyber Pripnúť. Zostane tu aj po vložení."};
    case ClipboardPanelTab::Gallery:
        return {"Zatiaľ tu nie sú obrázky", "Skopíruj obrázok a nájdeš ho tu pripravený na vloženie."};
    case ClipboardPanelTab::Screenshots:
        return {"Zatiaľ tu nie sú snímky obrazovky", "Skopíruj obrázok a nájdeš ho tu pripravený na vloženie."};
    case ClipboardPanelTab::Snippets:
        return {"Texty, ktoré používaš často", "Skopíruj text a ulož si ho pod vlastným názvom."};
    case ClipboardPanelTab::Jars:
        return {"Zatiaľ nemáš žiadny Jar", "Jars sú kolekcie, do ktorých si môžeš ukladať vybrané položky z Histórie."};
    case ClipboardPanelTab::History:
        break;
    }
    return {"História je prázdna", "Skopíruj text, obrázok alebo súbor. V Histórii zostane aj po vložení."};
}

QString text(const char *slovak) { return L10n::text(QString::fromUtf8(slovak)); }

} // namespace

QuickAccessView::QuickAccessView(ClipboardModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(m_model.appearance()));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_surface = new QStackedWidget(this);
    m_listsPage = buildListsPage();
    m_options = new QuickAccessOptionsPage(m_surface);
    connect(m_options, &QuickAccessOptionsPage::dismissRequested, this, &QuickAccessView::dismissRequested);
    connect(m_options, &QuickAccessOptionsPage::imageActionChosen, this, &QuickAccessView::imageActionChosen);
    connect(m_options, &QuickAccessOptionsPage::backRequested, this,
            [this] { m_model.setIsQuickPasteOptionsPresented(false); });
    connect(m_options, &QuickAccessOptionsPage::rowHovered, this,
            [this](int row) { m_model.setSelectedQuickPasteOptionIndex(row); });
    connect(m_options, &QuickAccessOptionsPage::pasteRequested, this, [this](const QString &text) { m_model.pasteText(text); });
    connect(&m_model, &ClipboardModel::selectedQuickPasteOptionIndexChanged, m_options,
            [this] { m_options->setSelectedRow(m_model.selectedQuickPasteOptionIndex()); }, Qt::QueuedConnection);
    LiveText::follow(m_model, m_options, [options = m_options] { options->retranslate(); });
    m_notice = new QuickAccessPermissionNotice(m_surface);
    connect(m_notice, &QuickAccessPermissionNotice::dismissRequested, this, &QuickAccessView::dismissRequested);
    connect(m_notice, &QuickAccessPermissionNotice::settingsRequested, this,
            &QuickAccessView::permissionSettingsRequested);
    // The caption follows the permission as the monitor's polling updates it.
    const auto showTrust = [this] { m_notice->setAccessibilityTrusted(m_model.accessibilityPermissionEnabled()); };
    connect(&m_model, &ClipboardModel::accessibilityPermissionEnabledChanged, m_notice, showTrust, Qt::QueuedConnection);
    showTrust();
    LiveText::follow(m_model, m_notice, [notice = m_notice] { notice->retranslate(); });
    m_surface->insertWidget(ListsSurface, m_listsPage);
    m_surface->insertWidget(OptionsSurface, m_options);
    m_surface->insertWidget(NoticeSurface, m_notice);
    layout->addWidget(m_surface);

    const auto rows = [this] { reloadRows(); };
    connect(&m_model, &ClipboardModel::entriesChanged, this, rows);
    connect(&m_model, &ClipboardModel::snippetsChanged, this, rows);
    connect(&m_model, &ClipboardModel::jarsChanged, this, rows);
    connect(&m_model, &ClipboardModel::selectedJarIDChanged, this, rows);
    connect(&m_model, &ClipboardModel::pasteStackEntryIDsChanged, this, rows);
    connect(&m_model, &ClipboardModel::consumedEntryIDsChanged, this, rows);
    connect(&m_model, &ClipboardModel::currentContextChanged, this, rows);
    connect(&m_model, &ClipboardModel::selectedTabChanged, this, rows);
    connect(&m_model, &ClipboardModel::searchTextChanged, this, [this] {
        if (m_search->text() != m_model.searchText())
            m_search->setText(m_model.searchText());
        m_clear->setVisible(!m_model.searchText().isEmpty());
        reloadRows();
    });
    // Every opening starts at the first row: the offset of the last session could half hide
    // the row of Ctrl+1.
    connect(&m_model, &ClipboardModel::isQuickAccessPresentedChanged, this, [this] {
        if (m_model.isQuickAccessPresented())
            m_list->scrollToTop();
    });
    // Queued: the opening sets the picker's state in several steps; the keyboard goes to the
    // field once they are all done, as the last word on where it starts.
    connect(&m_model, &ClipboardModel::isQuickAccessPresentedChanged, this, &QuickAccessView::takeKeyboardOnOpening,
            Qt::QueuedConnection);
    connect(&m_model, &ClipboardModel::selectedEntryIDChanged, this, &QuickAccessView::showSelection);
    connect(&m_model, &ClipboardModel::selectedQuickAccessSnippetIDChanged, this, &QuickAccessView::showSelection);
    connect(&m_model, &ClipboardModel::isQuickPasteOptionsPresentedChanged, this, &QuickAccessView::showOptions);
    connect(&m_model, &ClipboardModel::isQuickPasteOptionsPresentedChanged, this, &QuickAccessView::followOptionsFocus);
    connect(&m_model, &ClipboardModel::shortcutNoticeChanged, this, &QuickAccessView::showNotice);
    connect(&m_model, &ClipboardModel::quickAccessKeyboardFocusChanged, this, &QuickAccessView::showFocus);
    connect(&m_model, &ClipboardModel::quickSearchFocusRequestChanged, this, &QuickAccessView::focusSearchAfresh);
    connect(&m_model, &ClipboardModel::quickImageActionRequestChanged, this, &QuickAccessView::performImageRequest);
    connect(&m_model, &ClipboardModel::appearanceChanged, this,
            [this] { PanelStyle::applyScheme(this, PanelStyle::schemeFor(m_model.appearance())); });
    connect(&m_model, &ClipboardModel::languageChanged, this, [this] {
        m_search->setPlaceholderText(text("Hľadať v schránke…"));
        m_tabs->updateGeometry();
        reloadRows();
        showNotice();
    });

    m_search->setText(m_model.searchText());
    m_clear->setVisible(!m_model.searchText().isEmpty());
    m_tabs->setKeyboardFocused(m_model.quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Tabs);
    reloadRows();
    showNotice();
}

QuickAccessView::~QuickAccessView() = default;

QWidget *QuickAccessView::buildListsPage()
{
    auto *page = new QWidget(m_surface);
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);

    auto *searchRow = new QHBoxLayout;
    searchRow->setSpacing(kSearchRowSpacing);
    m_search = new PanelField(page, true);
    m_search->setFixedHeight(kSearchHeight);
    m_search->setFont(PanelStyle::exactFont(PanelField::kFontSize));
    m_search->setPlaceholderText(text("Hľadať v schránke…"));
    m_search->installEventFilter(this);
    // The magnifier and the clear button stand inside the field, its text between them.
    auto *fieldRow = new QHBoxLayout(m_search);
    fieldRow->setContentsMargins(PanelField::kHorizontalPadding, 0, PanelField::kHorizontalPadding, 0);
    fieldRow->setSpacing(kFieldSpacing);
    auto *magnifier = new QuickAccessIconButton(QStringLiteral("magnifyingglass"), {kFieldSymbolSide, 0, 12, true}, QString(), m_search);
    magnifier->setAttribute(Qt::WA_TransparentForMouseEvents);
    magnifier->setCursor(Qt::IBeamCursor);
    auto *clear = new QuickAccessIconButton(QStringLiteral("xmark.circle.fill"), {kFieldSymbolSide, 0, 12, true},
                                            QString(), m_search);
    LiveText::tip(m_model, clear, QStringLiteral("Vymazať hľadanie"));
    m_clear = clear;
    fieldRow->addWidget(magnifier);
    fieldRow->addStretch();
    fieldRow->addWidget(clear);
    m_search->setTextMargins(kFieldSymbolSide + kFieldSpacing, 0, kFieldSymbolSide, 0);
    connect(clear, &QAbstractButton::clicked, this, [this] { m_model.setSearchText(QString()); });
    connect(m_search, &QLineEdit::textEdited, this, [this](const QString &typed) { m_model.setSearchText(typed); });
    connect(m_search, &QLineEdit::returnPressed, this, [this] { m_model.commitQuickAccessSelection(); });
    auto *settings = new QuickAccessIconButton(QStringLiteral("gearshape"), {kSearchHeight, 9, 11}, QString(), page);
    LiveText::follow(m_model, settings, [settings] {
        settings->setToolTip(text("Nastavenia"));
        settings->setAccessibleName(text("Nastavenia zobrazenia"));
    });
    connect(settings, &QAbstractButton::clicked, this, &QuickAccessView::settingsRequested);
    auto *close = new QuickAccessIconButton(QStringLiteral("xmark"), {kSearchHeight, 9, 10}, QString(), page);
    LiveText::tip(m_model, close, QStringLiteral("Zavrieť"));
    connect(close, &QAbstractButton::clicked, this, &QuickAccessView::dismissRequested);
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(settings);
    searchRow->addWidget(close);
    column->addLayout(searchRow);

    m_tabs = new QuickAccessTabBar(m_model.selectedTab(), page);
    column->addWidget(m_tabs);
    connect(m_tabs, &QuickAccessTabBar::tabClicked, this, [this](ClipboardPanelTab tab) {
        m_model.setSelectedTab(tab);
        m_model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
    });
    connect(&m_model, &ClipboardModel::selectedTabChanged, m_tabs, [this] { m_tabs->setSelectedTab(m_model.selectedTab()); },
            Qt::QueuedConnection);
    // Titles of another language take another width: the selected tab is centred anew.
    connect(&m_model, &ClipboardModel::languageChanged, m_tabs, [this] { m_tabs->centreSelected(true); },
            Qt::QueuedConnection);

    // The Jar drill-down header: back to all Jars, the Jar's name and its entry count.
    m_jarHeader = new QWidget(page);
    auto *jarRow = new QHBoxLayout(m_jarHeader);
    jarRow->setContentsMargins(0, 0, 0, 0);
    jarRow->setSpacing(kJarHeaderSpacing);
    auto *back = new QuickAccessIconButton(QStringLiteral("chevron.left"), {kJarBackSide, 7, 9}, QString(), m_jarHeader);
    LiveText::tip(m_model, back, QStringLiteral("Všetky Jars"));
    connect(back, &QAbstractButton::clicked, this, [this] {
        m_model.setSelectedJarID(std::nullopt);
        m_model.setSelectedEntryID(std::nullopt);
        m_model.setSearchText(QString());
    });
    auto *names = new QVBoxLayout;
    names->setSpacing(2);
    m_jarName = new QLabel(m_jarHeader);
    m_jarName->setFont(PanelStyle::exactFont(kJarNameSize, QFont::DemiBold));
    m_jarCount = new QLabel(m_jarHeader);
    m_jarCount->setFont(PanelStyle::font(kJarCountSize));
    m_jarCount->setForegroundRole(QPalette::PlaceholderText);
    names->addWidget(m_jarName);
    names->addWidget(m_jarCount);
    jarRow->addWidget(back);
    jarRow->addLayout(names, 1);
    column->addWidget(m_jarHeader);
    column->addSpacing(kJarSpacing - kSpacing);

    m_content = new QStackedWidget(page);
    m_listModel = new QuickAccessListModel(m_model, this);
    m_thumbnails = new EntryThumbnails(EntryThumbnails::reading(m_model.imageBytes()), this);
    m_list = new QuickAccessListView(m_content);
    m_delegate = new QuickAccessItemDelegate(*m_listModel, [this](const ClipboardEntry &entry) {
        return m_thumbnails->thumbnail(entry);
    }, m_list);
    connect(m_thumbnails, &EntryThumbnails::ready, m_list->viewport(), qOverload<>(&QWidget::update));
    m_list->setModel(m_listModel);
    m_list->setItemDelegate(m_delegate);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setMouseTracking(true);
    m_list->setFocusPolicy(Qt::ClickFocus);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QuickAccessListView::rowPressed, this, &QuickAccessView::activateRow);
    m_empty = new PanelEmptyState(QString(), QString(), QString(), m_content);
    // The Jars before one is chosen: the same cards as the library's Jars screen.
    m_jarScroll = makePanelScrollArea(m_content);
    auto *cards = new QWidget;
    m_jarCards = new QVBoxLayout(cards);
    m_jarCards->setContentsMargins(0, 0, 0, kJarCardsBottom);
    m_jarCards->setSpacing(kJarCardSpacing);
    m_jarCards->addStretch(1);
    m_jarScroll->setWidget(cards);
    m_content->insertWidget(ListContent, m_list);
    m_content->insertWidget(EmptyContent, m_empty);
    m_content->insertWidget(JarsContent, m_jarScroll);
    column->addWidget(m_content, 1);
    return page;
}

void QuickAccessView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Quick Access opens where the pointer may rest; only moving it from there chooses a row.
    m_pointerAt = QPointF(QCursor::pos());
    if (m_rowsStale)
        reloadRows();
}

void QuickAccessView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PanelStyle::fillRounded(painter, rect(), kCornerRadius, PanelStyle::colors(this).quickAccessBackground);
}

bool QuickAccessView::eventFilter(QObject *watched, QEvent *event)
{
    // The key map lets the field edit text only while the model knows it has the keyboard.
    if (watched == m_search) {
        if (event->type() == QEvent::FocusIn) {
            m_model.setSearchFieldFocused(true);
            // A click into the field hands it the keyboard in the key map's terms too.
            if (m_model.isQuickAccessPresented())
                m_model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Search);
        } else if (event->type() == QEvent::FocusOut) {
            m_model.setSearchFieldFocused(false);
        }
    } else if (watched == m_list->viewport() && event->type() == QEvent::MouseMove) {
        // Not the list's own hover signal: it also fires for rows that scroll under a pointer
        // that did not move, and the arrow keys would then paste the row under the pointer.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->globalPosition() != m_pointerAt) {
            m_pointerAt = mouse->globalPosition();
            hoverRow(m_list->indexAt(mouse->position().toPoint()));
        }
    } else if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            clickRow(mouse->position().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

void QuickAccessView::clickRow(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        return;
    const ClipboardEntry *entry = m_listModel->entryAt(index.row());
    activateRow(index.row(), entry && QuickAccessItemDelegate::chevronRect(m_list->visualRect(index), *entry).contains(position));
}

void QuickAccessView::activateRow(int row, bool options)
{
    if (const ClipboardEntry *found = m_listModel->entryAt(row)) {
        const ClipboardEntry entry = *found;
        if (options) {
            m_model.setSelectedEntry(entry);
            m_model.openQuickPasteOptions();
        } else {
            m_model.pasteHistoryEntryFromClick(entry);
        }
    } else if (const ClipboardSnippet *snippet = m_listModel->snippetAt(row)) {
        const QString snippetText = snippet->text;
        m_model.setSelectedQuickAccessSnippetID(snippet->id);
        m_model.pasteText(snippetText);
    }
}

void QuickAccessView::openJar(const QString &jarID)
{
    m_model.setSelectedJarID(jarID);
    m_model.setSearchText(QString());
    const QList<ClipboardEntry> entries = m_model.selectedJarEntries();
    m_model.setSelectedEntryID(entries.isEmpty() ? std::nullopt : std::optional(entries.first().id));
}

QList<JarCard *> QuickAccessView::jarCards() const
{
    QList<JarCard *> cards;
    for (int i = 0; i < m_jarCards->count(); ++i) {
        if (auto *card = qobject_cast<JarCard *>(m_jarCards->itemAt(i)->widget()))
            cards.append(card);
    }
    return cards;
}

void QuickAccessView::showJarCards()
{
    while (m_jarCards->count() > 1) {
        QLayoutItem *item = m_jarCards->takeAt(0);
        delete item->widget();
        delete item;
    }
    if (m_listModel->rowKind() != QuickAccessListModel::RowKind::Jar)
        return;
    for (int row = 0; row < m_listModel->rowCount(); ++row) {
        const ClipboardJar &jar = *m_listModel->jarAt(row);
        auto *card = new JarCard(jar, m_listModel->listedCount(jar));
        connect(card, &JarCard::opened, this, &QuickAccessView::openJar);
        connect(card, &JarCard::renameRequested, this, &QuickAccessView::jarRenameRequested);
        connect(card, &JarCard::deleteRequested, this, &QuickAccessView::jarDeleteRequested);
        m_jarCards->insertWidget(row, card);
    }
}

void QuickAccessView::hoverRow(const QModelIndex &index)
{
    // While the tabs have the keyboard the pointer does not take the selection from them.
    if (!index.isValid() || m_model.quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Tabs)
        return;
    if (const ClipboardEntry *entry = m_listModel->entryAt(index.row())) {
        if (m_model.selectedEntryID() != entry->id)
            m_model.setSelectedEntry(*entry);
    } else if (const ClipboardSnippet *snippet = m_listModel->snippetAt(index.row())) {
        m_model.setSelectedQuickAccessSnippetID(snippet->id);
        m_model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Items);
    }
}

void QuickAccessView::reloadRows()
{
    // The panel and the popup each host a view, and only one is on screen: a hidden view
    // catches up when it is shown instead of searching the history on every keystroke.
    if (!isVisible()) {
        m_rowsStale = true;
        return;
    }
    m_rowsStale = false;
    m_listModel->reload();
    showJarHeader();
    showJarCards();
    showEmptyState();
    showSelection();
    showOptions();
}

void QuickAccessView::showJarHeader()
{
    const std::optional<ClipboardJar> jar =
        m_model.selectedTab() == ClipboardPanelTab::Jars ? m_model.selectedJar() : std::nullopt;
    m_jarHeader->setVisible(jar.has_value());
    if (!jar)
        return;
    m_jarName->setText(jar->name);
    m_jarCount->setText(QuickAccessListModel::countLine(int(m_model.selectedJarEntries().size())));
}

void QuickAccessView::showEmptyState()
{
    if (m_listModel->rowCount() > 0) {
        m_content->setCurrentIndex(m_listModel->rowKind() == QuickAccessListModel::RowKind::Jar ? JarsContent : ListContent);
        return;
    }
    const ClipboardPanelTab tab = m_model.selectedTab();
    const bool searching = !m_model.searchText().isEmpty();
    const bool inJar = tab == ClipboardPanelTab::Jars && m_model.selectedJar();
    QString symbol = SectionSymbols::symbol(tab);
    QString title;
    QString message;
    if (searching) {
        title = text("Nič sa nenašlo");
        message = tab == ClipboardPanelTab::Snippets                ? text("Skús iný názov, skratku alebo časť textu.")
                  : tab == ClipboardPanelTab::Jars && !inJar ? text("Skús iný názov Jaru.")
                                                                    : text("Skús iný výraz vyhľadávania.");
    } else if (inJar) {
        title = text("Jar je prázdny");
        message = text("Pridaj položky z Histórie cez menu položky a možnosť Pridať do Jaru.");
    } else {
        const EmptyText empty = emptyText(tab, m_model.entries().isEmpty());
        title = text(empty.title);
        // The Paste Stack's copy shortcut, named as the desktop shows keys.
        message = text(empty.message).replace(QStringLiteral("%@"), AppShortcut(AppShortcut::pasteStack).label());
    }
    m_empty->setContent(symbol, title, message);
    const int padding = inJar ? kJarEmptyPadding : kEmptyPadding;
    m_empty->setContentsMargins(0, padding, 0, padding);
    m_content->setCurrentIndex(EmptyContent);
}

void QuickAccessView::showSelection()
{
    m_listModel->refreshSelection();
    const int row = m_listModel->selectedRow();
    // The list follows the selection only while Quick Access is open; a Jar's rows never scroll.
    const bool inJar = m_model.selectedTab() == ClipboardPanelTab::Jars;
    if (row >= 0 && !inJar && m_model.isQuickAccessPresented())
        m_list->scrollTo(m_listModel->index(row));
    if (m_model.isQuickPasteOptionsPresented())
        showOptions();
}

void QuickAccessView::showOptions()
{
    if (m_model.shortcutNotice()) {
        m_surface->setCurrentIndex(NoticeSurface);
    } else if (const std::optional<ClipboardEntry> entry = m_model.selectedQuickAccessEntry();
               m_model.isQuickPasteOptionsPresented() && entry) {
        m_options->setEntry(*entry);
        m_options->setSelectedRow(m_model.selectedQuickPasteOptionIndex());
        m_surface->setCurrentIndex(OptionsSurface);
    } else {
        m_surface->setCurrentIndex(ListsSurface);
    }
    Q_EMIT layoutChanged();
}

void QuickAccessView::showNotice()
{
    if (const std::optional<QString> notice = m_model.shortcutNotice())
        m_notice->setNotice(*notice, m_model.sessionLimitsNotice());
    showOptions();
}

void QuickAccessView::takeKeyboardOnOpening()
{
    if (!m_model.isQuickAccessPresented()) {
        m_model.setIsQuickPasteOptionsPresented(false);
        return;
    }
    m_model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Search);
    if (!m_model.isQuickPasteOptionsPresented() && !m_model.shortcutNotice())
        m_search->setFocus(Qt::OtherFocusReason);
}

void QuickAccessView::followOptionsFocus()
{
    if (m_model.isQuickPasteOptionsPresented()) {
        if (m_search->hasFocus())
            m_search->clearFocus();
        return;
    }
    // Back from the options with the keyboard on the rows: the field takes it, so typing goes on
    // searching at once. Only the surface on screen asks, so that one request is made.
    if (isVisible() && m_model.isQuickAccessPresented()
        && m_model.quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Items)
        m_model.requestQuickSearchFocus();
}

void QuickAccessView::focusSearchAfresh()
{
    // The field loses the keyboard at once and takes it back a turn later, so that it takes it
    // afresh even when it had it; the caret then stands after what was typed.
    if (m_search->hasFocus())
        m_search->clearFocus();
    QTimer::singleShot(0, this, [this] {
        if (!m_model.isQuickAccessPresented() || m_model.shortcutNotice() || m_model.isQuickPasteOptionsPresented())
            return;
        m_search->setFocus(Qt::OtherFocusReason);
        QTimer::singleShot(0, this, [this] {
            if (m_search->hasFocus())
                m_search->end(false);
        });
    });
}

void QuickAccessView::showFocus()
{
    m_tabs->setKeyboardFocused(m_model.quickAccessKeyboardFocus() == QuickAccessKeyboardFocus::Tabs);
    // While the options stand, the keyboard stays where they put it.
    if (!m_model.isQuickAccessPresented() || m_model.isQuickPasteOptionsPresented())
        return;
    switch (m_model.quickAccessKeyboardFocus()) {
    case QuickAccessKeyboardFocus::Tabs:
        m_tabs->setFocus();
        break;
    case QuickAccessKeyboardFocus::Search:
        m_search->setFocus();
        break;
    case QuickAccessKeyboardFocus::Items:
        m_list->setFocus();
        break;
    }
}

void QuickAccessView::performImageRequest()
{
    const std::optional<QuickImageActionRequest> request = m_model.quickImageActionRequest();
    if (!request)
        return;
    // Cleared before it runs: the same action on the same entry may be asked for again.
    m_model.setQuickImageActionRequest(std::nullopt);
    for (const ClipboardEntry &entry : m_model.entries()) {
        if (entry.id == request->entryID) {
            Q_EMIT imageActionChosen(request->action, entry);
            break;
        }
    }
}
