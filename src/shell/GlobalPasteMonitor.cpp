#include "shell/GlobalPasteMonitor.h"

#include "engine/ModelClock.h"

#include <QGuiApplication>

namespace {

// Judged by the window that holds the keyboard, not by the application state: a popup of ours
// closed by a click into another application leaves that state at active with no window of ours
// focused, and every trigger typed there would be ignored from then on.
bool ownWindowHasKeyboard()
{
    return qGuiApp && QGuiApplication::focusWindow() != nullptr;
}

std::function<bool()> isProgramActive(const GlobalPasteMonitorServices &services)
{
    return services.isProgramActive ? services.isProgramActive : std::function<bool()>(ownWindowHasKeyboard);
}

// The pages that show the answers take the keyboard when they open.
std::function<bool()> arePermissionsShown(const GlobalPasteMonitorServices &services)
{
    return services.arePermissionsShown ? services.arePermissionsShown : isProgramActive(services);
}

ModelClock &clockOf(const GlobalPasteMonitorServices &services, std::unique_ptr<SystemModelClock> &ownClock)
{
    if (services.clock)
        return *services.clock;
    ownClock = std::make_unique<SystemModelClock>();
    return *ownClock;
}

} // namespace

GlobalPasteMonitor::GlobalPasteMonitor(ClipboardModel &model, GlobalPasteMonitorServices services, QObject *parent)
    : QObject(parent)
    , m_clock(clockOf(services, m_ownClock))
    , m_permissionWatch(model, services.permissions, m_clock, arePermissionsShown(services))
    , m_keyTapWatch(model, services.keyTap, services.shortcuts, m_clock, isProgramActive(services))
    , m_shortcuts(model, services.shortcuts, services.workspace, m_permissionWatch, m_clock)
    , m_keyMap(model, m_shortcuts, std::move(services.isTextFieldFocused))
{
    connect(&m_permissionWatch, &PermissionWatch::inputMonitoringRead, &m_keyTapWatch, &KeyTapWatch::follow);
    connect(&m_keyTapWatch, &KeyTapWatch::refusedShortcutPressed, &m_shortcuts, &GlobalShortcuts::handle);
    connect(&m_shortcuts, &GlobalShortcuts::accessibilityRequired, this, &GlobalPasteMonitor::accessibilityRequired);
    connect(&m_shortcuts, &GlobalShortcuts::quickAccessRequested, this, &GlobalPasteMonitor::quickAccessRequested);
    connect(&m_keyMap, &PanelKeyMap::dismissQuickAccessRequested, this,
            &GlobalPasteMonitor::dismissQuickAccessRequested);
}

GlobalPasteMonitor::~GlobalPasteMonitor() = default;

void GlobalPasteMonitor::requestAccessAndStart(bool promptForAccessibility)
{
    m_shortcuts.start();
    m_keyMap.install();
    m_permissionWatch.start(promptForAccessibility);
}
