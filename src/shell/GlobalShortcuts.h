#pragma once

#include "core/AppShortcut.h"
#include "platform/Workspace.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

class ClipboardModel;
class HotKeyRegistry;
class ModelClock;
class PermissionWatch;

// The five global shortcuts: registered with the desktop's hot-key grab, and run whichever road
// a press comes by (the grab, the key tap for a refused copy shortcut, the key map of Tarnel's
// own windows).
class GlobalShortcuts : public QObject {
    Q_OBJECT
public:
    // The copy shortcut's keys are still going down when it fires; Ctrl+C waits a moment.
    static constexpr std::chrono::milliseconds kCopyShortcutDelay{80};

    GlobalShortcuts(ClipboardModel &model, HotKeyRegistry &registry, Workspace &workspace, PermissionWatch &permissions,
                    ModelClock &clock);

    // Registers the shortcuts and shows those the desktop refused. Repeating it registers
    // nothing twice.
    void start();
    // Runs a shortcut: Quick Access opens, or keys are sent to the application in front.
    void handle(AppShortcut shortcut);

Q_SIGNALS:
    // A key had to be sent but Tarnel may not: the settings show what is missing.
    void accessibilityRequired();
    // The history (false) or paste-as (true) shortcut: Quick Access opens.
    void quickAccessRequested(bool pasteAs);

private:
    std::optional<RunningApplication> keyTargetInFront(const QString &missingTrustNotice);

    ClipboardModel &m_model;
    HotKeyRegistry &m_registry;
    Workspace &m_workspace;
    PermissionWatch &m_permissions;
    ModelClock &m_clock;
};
