#include "ui/library/LibraryView.h"

#include "engine/ClipboardModel.h"
#include "ui/library/EntrySectionScreen.h"
#include "ui/library/GalleryScreen.h"
#include "ui/library/JarsScreen.h"
#include "ui/library/SnippetsScreen.h"
#include "ui/panel/PanelSheets.h"

#include <QVBoxLayout>

namespace {

// Gallery and Screenshots are one screen whose contents follow the tab.
ClipboardPanelTab screenKind(ClipboardPanelTab tab)
{
    return tab == ClipboardPanelTab::Screenshots ? ClipboardPanelTab::Gallery : tab;
}

} // namespace

LibraryView::LibraryView(ClipboardModel &model, PanelController &controller, PanelSheets &sheets, QWidget *parent)
    : QWidget(parent), m_model(model), m_controller(controller), m_sheets(sheets)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    connect(&model, &ClipboardModel::selectedTabChanged, this, &LibraryView::showSection, Qt::QueuedConnection);
    showSection();
}

void LibraryView::showSection()
{
    const ClipboardPanelTab tab = m_model.selectedTab();
    if (m_screen && m_screenTab == screenKind(tab))
        return;
    // Unfolded row controls belong to the section that showed them.
    m_sheets.setExpandedControlsEntryID(std::nullopt);
    delete m_screen;
    const auto readText = [this](const ClipboardEntry &entry) { Q_EMIT readTextRequested(entry); };
    switch (tab) {
    case ClipboardPanelTab::Jars:
        m_screen = new JarsScreen(m_model, m_sheets, readText, this);
        break;
    case ClipboardPanelTab::Gallery:
    case ClipboardPanelTab::Screenshots:
        m_screen = new GalleryScreen(m_model, m_sheets, readText, this);
        break;
    case ClipboardPanelTab::Snippets:
        m_screen = new SnippetsScreen(m_model, m_sheets, [this](bool accessibility) {
            Q_EMIT permissionRequested(accessibility);
        }, this);
        break;
    default:
        m_screen = new EntrySectionScreen(m_model, m_sheets, tab, readText, this);
        break;
    }
    m_screenTab = screenKind(tab);
    m_layout->addWidget(m_screen);
}
