#include "ui/panel/DetailsPanel.h"

#include "engine/ClipboardModel.h"
#include "ui/library/LibraryFooter.h"
#include "ui/library/LibraryView.h"
#include "ui/library/SnippetsScreen.h"
#include "ui/panel/DetailsSearchField.h"
#include "ui/panel/SectionStrip.h"
#include "ui/style/PanelStyle.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The footer's bar: its content 11 points below a full-width divider line.
class FooterBar : public QWidget {
public:
    explicit FooterBar(QWidget *content, QWidget *parent) : QWidget(parent)
    {
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(0, DetailsPanel::kFooterTopPadding, 0, 0);
        row->setSpacing(DetailsPanel::kFooterSpacing);
        row->addWidget(content, 1);
        setMinimumHeight(DetailsPanel::kFooterTopPadding + DetailsPanel::kFooterMinimumHeight);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRectF(0, 0, width(), 1), PanelStyle::colors(this).divider);
    }
};

// Return in the search field pastes by the section's rule: the first matching snippet on
// Snippets, nothing on the Paste Stack, the selected (else first) listed entry everywhere else.
void pasteFromSearch(ClipboardModel &model)
{
    switch (model.selectedTab()) {
    case ClipboardPanelTab::Snippets: {
        const QList<ClipboardSnippet> listed = SnippetsScreen::filteredSnippets(model);
        if (!listed.isEmpty())
            model.pasteText(listed.first().text);
        return;
    }
    case ClipboardPanelTab::PasteStack:
        return;
    default:
        model.pasteSelectedEntry(model.quickAccessEntries());
        return;
    }
}

} // namespace

DetailsPanel::DetailsPanel(ClipboardModel &model, PanelController &controller, PanelSheets &sheets, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(kWidth, kHeight);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(kSidePadding, kTopPadding, kSidePadding, kBottomPadding);
    column->setSpacing(kSpacing);
    m_search = new DetailsSearchField(model.searchText(), this);
    m_strip = new SectionStrip(model.selectedTab(), this);
    m_library = new LibraryView(model, controller, sheets, this);
    m_footer = new LibraryFooter(model, sheets, this);
    column->addWidget(m_search);
    column->addWidget(m_strip);
    column->addWidget(m_library, 1);
    column->addWidget(new FooterBar(m_footer, this));

    // Queued, as every reaction to the model: the field and the strip follow a search text or a
    // section set elsewhere (Quick Access, the key handling) once the call that set it returned.
    DetailsSearchField *search = m_search;
    connect(search, &DetailsSearchField::searchEdited, &model, &ClipboardModel::setSearchText);
    connect(search, &DetailsSearchField::submitted, &model, [&model] { pasteFromSearch(model); });
    // The focus is mirrored into the model, whose key handling leaves typing to a focused field.
    connect(search, &DetailsSearchField::focusChanged, &model, &ClipboardModel::setSearchFieldFocused);
    connect(&model, &ClipboardModel::searchTextChanged, search, [search, &model] { search->setText(model.searchText()); },
            Qt::QueuedConnection);
    SectionStrip *strip = m_strip;
    connect(strip, &SectionStrip::tabClicked, &model, &ClipboardModel::setSelectedTab);
    connect(&model, &ClipboardModel::selectedTabChanged, strip, [strip, &model] { strip->setSelectedTab(model.selectedTab()); },
            Qt::QueuedConnection);
}
