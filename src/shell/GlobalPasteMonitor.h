#pragma once

#include "core/AppShortcut.h"
#include "shell/GlobalShortcuts.h"
#include "shell/KeyTapWatch.h"
#include "shell/PanelKeyMap.h"
#include "shell/PermissionWatch.h"

#include <QObject>

#include <functional>
#include <memory>

class ClipboardModel;
class HotKeyRegistry;
class KeyTap;
class ModelClock;
class Permissions;
class SystemModelClock;
class Workspace;

// What the keyboard monitor needs of the desktop. The program hands in the real backends,
// tests hand in fakes.
struct GlobalPasteMonitorServices {
    HotKeyRegistry &shortcuts;
    KeyTap &keyTap;
    Permissions &permissions;
    Workspace &workspace;
    // Null for the wall clock and Qt's timers.
    ModelClock *clock = nullptr;
    // Whether one of Tarnel's own windows has the keyboard; the window with the keyboard when empty.
    std::function<bool()> isProgramActive;
    // Whether a text field has the keyboard; the focused widget is asked when empty.
    std::function<bool()> isTextFieldFocused;
    // Whether a notice or a settings page shows what the desktop permits; whether one of
    // Tarnel's windows has the keyboard when empty (those pages take it when they open).
    std::function<bool()> arePermissionsShown;
};

// Tarnel's keyboard front, four parts wired together: the five global shortcuts, the key map of
// its own windows, the look at what the desktop permits (which starts and stops the key tap),
// and the key tap that arms the screenshot window and feeds typed keys to the snippet triggers.
//
// A press of a global shortcut is dispatched from one source only. The hot-key grab both sees
// the press and keeps it from the application in front, so it is the source; the key tap sees
// the same press but cannot swallow it, and runs a copy shortcut only when the grab for it was
// refused. Inside Tarnel's windows a grabbed press never reaches the local key map; one whose
// grab was refused does, and then the tap leaves it alone.
class GlobalPasteMonitor : public QObject {
    Q_OBJECT
public:
    GlobalPasteMonitor(ClipboardModel &model, GlobalPasteMonitorServices services, QObject *parent = nullptr);
    ~GlobalPasteMonitor() override;

    // Registers the shortcuts, installs the local key map, checks access and starts the
    // repeating check. Repeating it registers nothing twice and doubles no monitor or timer.
    void requestAccessAndStart(bool promptForAccessibility);
    // Something may have begun to show what the desktop permits: checks at once and then
    // once a second while it stays shown. Called whenever another window takes the keyboard.
    void resumePermissionChecks() { m_permissionWatch.resume(); }
    // Where every road of a global shortcut ends.
    void handleShortcut(AppShortcut shortcut) { m_shortcuts.handle(shortcut); }

    GlobalShortcuts &shortcuts() { return m_shortcuts; }
    PanelKeyMap &keyMap() { return m_keyMap; }
    KeyTapWatch &keyTapWatch() { return m_keyTapWatch; }
    PermissionWatch &permissionWatch() { return m_permissionWatch; }

Q_SIGNALS:
    // A key had to be sent but Tarnel may not: the settings show what is missing.
    void accessibilityRequired();
    // The history (false) or paste-as (true) shortcut: Quick Access opens.
    void quickAccessRequested(bool pasteAs);
    // Escape in Quick Access.
    void dismissQuickAccessRequested();

private:
    std::unique_ptr<SystemModelClock> m_ownClock;
    ModelClock &m_clock;
    PermissionWatch m_permissionWatch;
    KeyTapWatch m_keyTapWatch;
    GlobalShortcuts m_shortcuts;
    PanelKeyMap m_keyMap;
};
