#pragma once

#include "core/AppShortcut.h"
#include "platform/KeyTap.h"
#include "platform/Workspace.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class ClipboardModel;
class HotKeyRegistry;
class ModelClock;
class Permissions;
class QKeyEvent;
class QWindow;
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
    // Whether one of Tarnel's own windows has the keyboard; the application state when empty.
    std::function<bool()> isProgramActive;
    // Whether a text field has the keyboard; the focused widget is asked when empty.
    std::function<bool()> isTextFieldFocused;
    // Whether a notice or a settings page shows what the desktop permits; whether one of
    // Tarnel's windows has the keyboard when empty (those pages take it when they open).
    std::function<bool()> arePermissionsShown;
};

// A key press inside Tarnel's own windows, as the key map compares it.
struct PanelKey {
    Qt::Key key = Qt::Key_unknown;
    // Shift, Control, Alt and Meta (Super); no other bits.
    Qt::KeyboardModifiers modifiers;
    std::optional<QString> characters;

    bool operator==(const PanelKey &) const = default;
};

// Tarnel's keyboard front: the five global shortcuts, the key map of its own windows, the look
// at what the desktop permits (once a second, and only while answers that can change are shown),
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
    static constexpr std::chrono::milliseconds kPermissionCheckInterval{1000};
    // The copy shortcut's keys are still going down when it fires; Ctrl+C waits a moment.
    static constexpr std::chrono::milliseconds kCopyShortcutDelay{80};
    // An image copied this soon after the desktop's screenshot chord counts as a screenshot.
    static constexpr std::chrono::seconds kScreenshotCopyWindow{60};
    // Inside Tarnel, pasting by position is Ctrl+digit.
    static constexpr Qt::KeyboardModifiers kPanelPasteModifier = Qt::ControlModifier;

    GlobalPasteMonitor(ClipboardModel &model, GlobalPasteMonitorServices services, QObject *parent = nullptr);
    ~GlobalPasteMonitor() override;

    // Registers the shortcuts, installs the local key map, checks access and starts the
    // repeating check. Repeating it registers nothing twice and doubles no monitor or timer.
    void requestAccessAndStart(bool promptForAccessibility);
    // Something may have begun to show what the desktop permits: checks at once and then
    // once a second while it stays shown. Called whenever another window takes the keyboard.
    void resumePermissionChecks();
    void handleShortcut(AppShortcut shortcut);
    // The key map of Tarnel's own windows; true when the key was consumed.
    bool handlePanelKey(Qt::Key key, Qt::KeyboardModifiers modifiers, const std::optional<QString> &characters);
    void refreshAccess();
    bool installEventTap();
    bool isEventTapInstalled() const { return m_tapInstalled; }
    bool isLocalMonitorInstalled() const { return m_localMonitorInstalled; }
    bool isPermissionTimerRunning() const { return m_permissionTimerRunning; }
    // A key press seen by the key tap; true when it completed a snippet trigger.
    bool handleTappedKey(const KeyTapEvent &event);

    // The list position that Ctrl+1 to Ctrl+6 paste.
    static std::optional<int> historyIndex(Qt::Key digit);
    // A Qt key press as the key map reads it.
    static PanelKey panelKey(const QKeyEvent &event);
    // Whether the window shows Quick Access: the panel or popup hosting it, or the view itself.
    // The key map acts only on keys sent there.
    static bool hostsQuickAccess(QWindow *window);

Q_SIGNALS:
    // A key had to be sent but Tarnel may not: the settings show what is missing.
    void accessibilityRequired();
    // The history (false) or paste-as (true) shortcut: Quick Access opens.
    void quickAccessRequested(bool pasteAs);
    // Escape in Quick Access.
    void dismissQuickAccessRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The steps of the panel key map; each returns whether it consumed the key.
    bool pasteByPosition(Qt::Key key);
    void moveFocusWithTab(bool backwards);
    bool moveFocusWithArrows(Qt::Key key);
    bool handleOptionsKey(Qt::Key key, Qt::KeyboardModifiers modifiers, const std::optional<QString> &characters,
                          bool editing);
    std::optional<bool> handleListKey(Qt::Key key);
    std::optional<RunningApplication> keyTargetInFront(const QString &missingTrustNotice);
    void schedulePermissionCheck();
    bool arePermissionsShown() const;
    void removeEventTap();
    bool isProgramActive() const;
    bool isSearchFieldEditing() const;
    std::optional<qsizetype> selectedItemPosition() const;
    bool typeIntoSearch(Qt::Key key, Qt::KeyboardModifiers modifiers, const std::optional<QString> &characters,
                        bool searchFieldEditing);

    ClipboardModel &m_model;
    GlobalPasteMonitorServices m_services;
    std::unique_ptr<SystemModelClock> m_ownClock;
    ModelClock *m_clock;
    bool m_tapInstalled = false;
    bool m_permissionTimerRunning = false;
    bool m_started = false;
    bool m_didRequestPermission = false;
    bool m_localMonitorInstalled = false;
};
