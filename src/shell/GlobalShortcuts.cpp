#include "shell/GlobalShortcuts.h"

#include "core/AccessibilityNotice.h"
#include "core/Logging.h"
#include "engine/ClipboardModel.h"
#include "engine/ModelClock.h"
#include "platform/HotKeyRegistry.h"
#include "shell/PermissionWatch.h"

#include <QPointer>

GlobalShortcuts::GlobalShortcuts(ClipboardModel &model, HotKeyRegistry &registry, Workspace &workspace,
                                 PermissionWatch &permissions, ModelClock &clock)
    : m_model(model)
    , m_registry(registry)
    , m_workspace(workspace)
    , m_permissions(permissions)
    , m_clock(clock)
{
    // The user learns which shortcuts the keyboard's own layout switch takes, and where that is
    // set, whenever the keyboard map changes.
    connect(&m_registry, &HotKeyRegistry::takenByLayoutSwitchChanged, this,
            [this] { m_model.setLayoutSwitchShortcuts(AppShortcut::labels(m_registry.takenByLayoutSwitch())); });
}

void GlobalShortcuts::start()
{
    connect(&m_registry, &HotKeyRegistry::shortcutPressed, this, &GlobalShortcuts::handle, Qt::UniqueConnection);
    const QList<AppShortcut> refused = m_registry.start();
    m_model.setUnavailableShortcuts(AppShortcut::labels(refused));
    m_model.setLayoutSwitchShortcuts(AppShortcut::labels(m_registry.takenByLayoutSwitch()));
    for (AppShortcut shortcut : refused)
        qCWarning(lcShell) << "Global shortcut could not be registered:" << shortcut.label();
}

// The application in front when keys may be sent to it; without trust the notice says why,
// and Tarnel itself is never a target.
std::optional<RunningApplication> GlobalShortcuts::keyTargetInFront(const QString &missingTrustNotice)
{
    m_permissions.refresh();
    if (!m_model.accessibilityPermissionEnabled()) {
        m_model.setShortcutNotice(missingTrustNotice);
        Q_EMIT accessibilityRequired();
        return std::nullopt;
    }
    const std::optional<RunningApplication> front = m_workspace.frontmostApplication();
    if (!front || m_workspace.isOwn(*front))
        return std::nullopt;
    return front;
}

void GlobalShortcuts::handle(AppShortcut shortcut)
{
    if (m_model.isPanelOverlayPresented())
        return;
    m_model.setShortcutNotice(std::nullopt);

    switch (shortcut) {
    case AppShortcut::history:
    case AppShortcut::pasteAs:
        Q_EMIT quickAccessRequested(shortcut == AppShortcut::pasteAs);
        return;
    case AppShortcut::pasteNextFromStack: {
        const std::optional<RunningApplication> front = keyTargetInFront(AccessibilityNotice::pasteNeedsKeys());
        if (!front)
            return;
        const QList<ClipboardEntry> stack = m_model.pasteStackEntries();
        if (stack.isEmpty())
            return;
        m_model.pasteEntryFromPanel(stack.first(), false, front->pid, true, front->window);
        return;
    }
    case AppShortcut::pasteStack:
    case AppShortcut::privateCopy: {
        const std::optional<RunningApplication> front = keyTargetInFront(AccessibilityNotice::copyNeedsKeys());
        if (!front)
            return;
        const bool privately = shortcut == AppShortcut::privateCopy;
        const qint64 pid = front->pid;
        QPointer<GlobalShortcuts> self(this);
        m_clock.singleShot(kCopyShortcutDelay, this, [self, privately, pid] {
            if (self)
                self->m_model.copyUsingShortcut(privately, pid);
        });
        return;
    }
    }
}
