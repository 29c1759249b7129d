#include "ui/quickaccess/QuickAccessView.h"

#include "core/AppFont.h"
#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/quickaccess/QuickAccessItemDelegate.h"
#include "ui/quickaccess/QuickAccessListModel.h"

#include <QEvent>
#include <QShowEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

enum Page { ListPage, EmptyPage, OptionsPage, NoticePage };

QString imageActionTitle(QuickImageAction action)
{
    switch (action) {
    case QuickImageAction::Preview:
        return L10n::text(QStringLiteral("Zobraziť náhľad"));
    case QuickImageAction::Edit:
        return L10n::text(QStringLiteral("Upraviť obrázok"));
    case QuickImageAction::SavePNG:
        return L10n::text(QStringLiteral("Uložiť ako PNG"));
    case QuickImageAction::SaveJPG:
        return L10n::text(QStringLiteral("Uložiť ako JPG"));
    }
    return {};
}

} // namespace

QuickAccessView::QuickAccessView(ClipboardModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setFont(AppFont::inter(13));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);

    m_tabs = new QTabBar(this);
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(true);
    for (ClipboardPanelTab tab : ClipboardModel::quickAccessTabOrder())
        m_tabs->addTab(title(tab));
    layout->addWidget(m_tabs);

    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(L10n::text(QStringLiteral("Hľadať")));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    layout->addWidget(m_search);

    m_pages = new QStackedWidget(this);
    m_listModel = new QuickAccessListModel(m_model, this);
    m_delegate = new QuickAccessItemDelegate(this);
    m_list = new QListView(m_pages);
    m_list->setModel(m_listModel);
    m_list->setItemDelegate(m_delegate);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    m_empty = new QLabel(L10n::text(QStringLiteral("Nič tu nie je")), m_pages);
    m_empty->setAlignment(Qt::AlignCenter);
    m_options = new QListWidget(m_pages);
    m_options->setFrameShape(QFrame::NoFrame);
    m_notice = new QLabel(m_pages);
    m_notice->setWordWrap(true);
    m_notice->setAlignment(Qt::AlignCenter);
    m_pages->insertWidget(ListPage, m_list);
    m_pages->insertWidget(EmptyPage, m_empty);
    m_pages->insertWidget(OptionsPage, m_options);
    m_pages->insertWidget(NoticePage, m_notice);
    layout->addWidget(m_pages, 1);

    // What the user does with the pointer goes to the model like the keys do.
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index < int(ClipboardModel::quickAccessTabOrder().size()))
            m_model.setSelectedTab(ClipboardModel::quickAccessTabOrder().at(std::size_t(index)));
    });
    connect(m_search, &QLineEdit::textEdited, this, [this](const QString &text) { m_model.setSearchText(text); });
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) {
        const QString id = index.data(QuickAccessListModel::IdRole).toString();
        switch (m_listModel->rowKind()) {
        case QuickAccessListModel::RowKind::Entry:
            m_model.setSelectedEntryID(id);
            m_model.commitQuickAccessSelection();
            break;
        case QuickAccessListModel::RowKind::Snippet:
            m_model.setSelectedQuickAccessSnippetID(id);
            m_model.commitQuickAccessSelection();
            break;
        case QuickAccessListModel::RowKind::Jar:
            m_model.setSelectedJarID(id);
            break;
        }
    });
    connect(m_options, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        m_model.setSelectedQuickPasteOptionIndex(m_options->row(item));
        m_model.commitQuickPasteOption();
    });

    const auto rows = [this] { reloadRows(); };
    connect(&m_model, &ClipboardModel::entriesChanged, this, rows);
    connect(&m_model, &ClipboardModel::snippetsChanged, this, rows);
    connect(&m_model, &ClipboardModel::jarsChanged, this, rows);
    connect(&m_model, &ClipboardModel::selectedJarIDChanged, this, rows);
    connect(&m_model, &ClipboardModel::pasteStackEntryIDsChanged, this, rows);
    connect(&m_model, &ClipboardModel::consumedEntryIDsChanged, this, rows);
    connect(&m_model, &ClipboardModel::currentContextChanged, this, rows);
    connect(&m_model, &ClipboardModel::searchTextChanged, this, [this] {
        if (m_search->text() != m_model.searchText())
            m_search->setText(m_model.searchText());
        reloadRows();
    });
    connect(&m_model, &ClipboardModel::selectedTabChanged, this, [this] {
        showTab();
        reloadRows();
    });
    connect(&m_model, &ClipboardModel::selectedEntryIDChanged, this, &QuickAccessView::showSelection);
    connect(&m_model, &ClipboardModel::selectedQuickAccessSnippetIDChanged, this, &QuickAccessView::showSelection);
    connect(&m_model, &ClipboardModel::isQuickPasteOptionsPresentedChanged, this, &QuickAccessView::showOptions);
    connect(&m_model, &ClipboardModel::selectedQuickPasteOptionIndexChanged, this, [this] {
        m_options->setCurrentRow(m_model.selectedQuickPasteOptionIndex());
    });
    connect(&m_model, &ClipboardModel::shortcutNoticeChanged, this, &QuickAccessView::showNotice);
    connect(&m_model, &ClipboardModel::quickAccessKeyboardFocusChanged, this, &QuickAccessView::showFocus);
    connect(&m_model, &ClipboardModel::quickSearchFocusRequestChanged, this, [this] { m_search->setFocus(); });
    connect(&m_model, &ClipboardModel::quickImageActionRequestChanged, this, &QuickAccessView::performImageRequest);
    connect(&m_model, &ClipboardModel::languageChanged, this, [this] {
        for (int i = 0; i < m_tabs->count(); ++i)
            m_tabs->setTabText(i, title(ClipboardModel::quickAccessTabOrder().at(std::size_t(i))));
        m_search->setPlaceholderText(L10n::text(QStringLiteral("Hľadať")));
        showNotice();
    });

    showTab();
    m_search->setText(m_model.searchText());
    reloadRows();
    showNotice();
}

void QuickAccessView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_rowsStale)
        reloadRows();
}

bool QuickAccessView::eventFilter(QObject *watched, QEvent *event)
{
    // The key map lets the field edit text only while the model knows it has the keyboard.
    if (watched == m_search) {
        if (event->type() == QEvent::FocusIn)
            m_model.setSearchFieldFocused(true);
        else if (event->type() == QEvent::FocusOut)
            m_model.setSearchFieldFocused(false);
    }
    return QWidget::eventFilter(watched, event);
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
    showSelection();
    showOptions();
}

void QuickAccessView::showSelection()
{
    m_listModel->refreshSelection();
    const int row = m_listModel->selectedRow();
    if (row >= 0)
        m_list->scrollTo(m_listModel->index(row));
    if (m_model.isQuickPasteOptionsPresented())
        showOptions();
}

void QuickAccessView::showTab()
{
    const auto &order = ClipboardModel::quickAccessTabOrder();
    const auto found = std::find(order.begin(), order.end(), m_model.selectedTab());
    if (found != order.end())
        m_tabs->setCurrentIndex(int(found - order.begin()));
}

void QuickAccessView::showOptions()
{
    if (m_model.shortcutNotice()) {
        m_pages->setCurrentIndex(NoticePage);
    } else if (m_model.isQuickPasteOptionsPresented()) {
        m_options->clear();
        const std::optional<ClipboardEntry> entry = m_model.selectedQuickAccessEntry();
        if (entry && entry->kind == ClipboardKind::Image) {
            for (QuickImageAction action : ClipboardModel::quickImageOptions())
                m_options->addItem(imageActionTitle(action));
        } else {
            for (ClipboardTransform transform : ClipboardModel::quickTextOptions())
                m_options->addItem(L10n::text(ClipboardTransforms::titleBase(transform)));
        }
        m_options->setCurrentRow(m_model.selectedQuickPasteOptionIndex());
        m_pages->setCurrentIndex(OptionsPage);
    } else {
        m_pages->setCurrentIndex(m_listModel->rowCount() > 0 ? ListPage : EmptyPage);
    }
    Q_EMIT layoutChanged();
}

void QuickAccessView::showNotice()
{
    const std::optional<QString> notice = m_model.shortcutNotice();
    m_notice->setText(notice ? L10n::text(*notice) : QString());
    showOptions();
}

void QuickAccessView::showFocus()
{
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
    for (const ClipboardEntry &entry : m_model.entries()) {
        if (entry.id == request->entryID) {
            Q_EMIT imageActionChosen(request->action, entry);
            break;
        }
    }
    // Performed: the same action on the same entry may be asked for again.
    m_model.setQuickImageActionRequest(std::nullopt);
}
