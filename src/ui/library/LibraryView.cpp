#include "ui/library/LibraryView.h"

#include "engine/ClipboardModel.h"
#include "ui/PanelController.h"
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
    : QWidget(parent), m_model(model), m_sheets(sheets)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    connect(&model, &ClipboardModel::selectedTabChanged, this, &LibraryView::showSection, Qt::QueuedConnection);
    // The controller opens the windows the screens ask for: the text reading of an image entry,
    // and the explanation of a missing permission.
    connect(this, &LibraryView::readTextRequested, &controller,
            [&controller](const ClipboardEntry &entry) { controller.openScreenshotAction(entry, true); });
    connect(this, &LibraryView::permissionRequested, &controller, [&controller](bool accessibility) {
        if (accessibility)
            controller.openAccessibilitySettings();
        else
            controller.requestInputMonitoringAccess();
    });
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
    switch (tab) {
    case ClipboardPanelTab::Jars: {
        auto *jars = new JarsScreen(m_model, m_sheets, this);
        connect(jars, &JarsScreen::readTextRequested, this, &LibraryView::readTextRequested);
        m_screen = jars;
        break;
    }
    case ClipboardPanelTab::Gallery:
    case ClipboardPanelTab::Screenshots: {
        auto *gallery = new GalleryScreen(m_model, m_sheets, this);
        connect(gallery, &GalleryScreen::readTextRequested, this, &LibraryView::readTextRequested);
        m_screen = gallery;
        break;
    }
    case ClipboardPanelTab::Snippets: {
        auto *snippets = new SnippetsScreen(m_model, m_sheets, this);
        connect(snippets, &SnippetsScreen::permissionRequested, this, &LibraryView::permissionRequested);
        m_screen = snippets;
        break;
    }
    default: {
        auto *section = new EntrySectionScreen(m_model, m_sheets, tab, this);
        connect(section, &EntrySectionScreen::readTextRequested, this, &LibraryView::readTextRequested);
        m_screen = section;
        break;
    }
    }
    m_screenTab = screenKind(tab);
    m_layout->addWidget(m_screen);
}
