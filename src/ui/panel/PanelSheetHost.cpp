#include "ui/panel/PanelSheetHost.h"

#include "engine/PanelModelLink.h"
#include "ui/PanelController.h"

PanelSheetHost::PanelSheetHost(PanelModelLink &model, PanelController &controller, QWidget *overlayParent,
                               QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_controller(controller)
    , m_overlayParent(overlayParent)
{
}

PanelSheetHost::~PanelSheetHost() = default;

void PanelSheetHost::editEntry(const ClipboardEntry &) {}
void PanelSheetHost::previewImage(const ClipboardEntry &) {}
void PanelSheetHost::composeImage(const ClipboardEntry &) {}
void PanelSheetHost::editJar(const std::optional<QString> &) {}
void PanelSheetHost::editSnippet(const std::optional<ClipboardSnippet> &) {}
void PanelSheetHost::confirmClear(ClearSection, const std::optional<QString> &) {}
void PanelSheetHost::setActionEntry(const std::optional<ClipboardEntry> &) {}

std::optional<QString> PanelSheetHost::expandedControlsEntryID() const
{
    return m_expandedControlsEntryID;
}

void PanelSheetHost::setExpandedControlsEntryID(const std::optional<QString> &) {}

QWidget *PanelSheetHost::sheet() const
{
    return nullptr;
}

QWidget *PanelSheetHost::clearAlert() const
{
    return nullptr;
}

bool PanelSheetHost::isPresenting() const
{
    return false;
}

void PanelSheetHost::dismissAll() {}
