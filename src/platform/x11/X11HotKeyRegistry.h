#pragma once

#include "platform/HotKeyRegistry.h"
#include "platform/x11/X11Connection.h"

#include <QList>
#include <QSet>

#include <memory>

class QSocketNotifier;
class X11KeyLookup;

// Global hot keys as passive key grabs on the root window, on a private X connection whose
// events the Qt event loop reads through a socket notifier.
class X11HotKeyRegistry : public HotKeyRegistry {
    Q_OBJECT
public:
    // Which X modifier bits the Alt and Super keys set in this keyboard map.
    struct ModifierBits {
        unsigned alt = 0;
        unsigned super = 0;
        unsigned numLock = 0;
        bool operator==(const ModifierBits &) const = default;
    };

    explicit X11HotKeyRegistry(QObject *parent = nullptr);
    ~X11HotKeyRegistry() override;

    QList<AppShortcut> start() override;
    void stop() override;
    bool isStarted() const override { return m_started; }
    QList<AppShortcut> failures() const override { return m_failures; }
    QList<AppShortcut> takenByLayoutSwitch() const override { return m_takenByLayoutSwitch; }
    // Key combinations currently grabbed (one per lock variant of each registered shortcut).
    int grabCount() const { return int(m_grabs.size()); }

    // The X modifier mask for a shortcut's Qt modifiers: Meta is Super.
    static unsigned xModifiers(Qt::KeyboardModifiers modifiers, const ModifierBits &bits);
    // The lock variants every combination is grabbed with, so that Caps Lock and Num Lock do
    // not disable the shortcuts.
    static QList<unsigned> lockVariants(const ModifierBits &bits);

private:
    struct Grab {
        AppShortcut shortcut;
        unsigned keycode;
        unsigned modifiers;
    };

    ModifierBits readModifierBits() const;
    // Grabs every shortcut with its lock variants; refused ones go to m_failures.
    void grabAll();
    // Grabs one shortcut on the key the lookup gives; false (and in m_failures) when refused
    // or when the keyboard has no key for it.
    bool grab(AppShortcut shortcut, const X11KeyLookup &lookup);
    void ungrab(AppShortcut shortcut);
    // After a change of keyboard map or group: every shortcut on the key that now types it.
    void followKeyboardMap();
    // Finds the shortcuts that the map's layout switch takes; announces a change.
    void followLayoutSwitch();
    void readEvents();
    void ungrabAll();

    X11Connection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    ModifierBits m_bits;
    QList<Grab> m_grabs;
    QList<AppShortcut> m_failures;
    QList<AppShortcut> m_takenByLayoutSwitch;
    QSet<unsigned> m_pressedKeycodes;
    bool m_started = false;
    // The first event code of the XKB extension; -1 without it.
    int m_xkbEventBase = -1;
};
