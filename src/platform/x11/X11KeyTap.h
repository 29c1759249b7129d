#pragma once

#include "platform/KeyTap.h"
#include "platform/x11/X11Connection.h"

#include <QList>
#include <QSet>

#include <memory>

class QSocketNotifier;
struct xkb_compose_state;
struct xkb_compose_table;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// The key presses of every application as XInput2 raw events on the root window, read on a
// private connection. Raw events carry no modifier state, so the tap follows the keyboard's
// XKB state through its state events, read in order with the keys, and turns keys into
// characters with xkbcommon, composing dead keys and compose sequences with the tables of the
// user's locale as the applications do: the accent key types nothing, the letter after it the
// accented letter.
class X11KeyTap : public KeyTap {
    Q_OBJECT
public:
    explicit X11KeyTap(QObject *parent = nullptr);
    ~X11KeyTap() override;

    bool isAvailable() const override { return m_available; }
    bool start() override;
    void stop() override;
    bool isRunning() const override { return m_running; }

    // Print with Control, optionally with Shift and Alt, but never with Super: the desktops'
    // screenshot-to-clipboard chords.
    static bool isScreenshotChord(quint32 keysym, Qt::KeyboardModifiers modifiers);
    // Keys that only change what other keys type: they are not reported.
    static bool isModifierKeysym(quint32 keysym);

private:
    bool loadKeymap();
    void freeKeymap();
    void loadComposeTable();
    // Turns the press into what the application reads through its compose tables; false while
    // a sequence is still being composed (its keys type nothing yet).
    bool compose(unsigned keycode, KeyTapEvent &event);
    void syncModifierState();
    struct ModifierState {
        unsigned baseMods = 0, latchedMods = 0, lockedMods = 0;
        unsigned baseGroup = 0, latchedGroup = 0, lockedGroup = 0;
    };
    ModifierState modifierState() const;
    void setModifierState(const ModifierState &state);
    void findXTestDevices();
    void readEvents();
    void handleRawKey(unsigned keycode, int sourceDevice, bool press, bool repeatFlag);
    KeyTapEvent describe(unsigned keycode) const;

    X11Connection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_available = false;
    bool m_running = false;
    int m_xiOpcode = 0;
    int m_xkbEventBase = 0;
    QSet<int> m_xtestDevices;
    QSet<unsigned> m_pressedKeycodes;
    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_state *m_state = nullptr;
    xkb_compose_table *m_composeTable = nullptr;
    xkb_compose_state *m_compose = nullptr;
};
