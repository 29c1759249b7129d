#pragma once

#include "platform/x11/X11Connection.h"

#include <QList>
#include <QObject>

#include <memory>

class QSocketNotifier;

// Who took the primary selection, and when, against the user's own presses, over a connection of
// its own. The selection is what the user selected in a window while it was taken after a press
// of theirs in that window and no press of theirs there came after it: a program may own its
// selection from any connection of its own (alacritty takes it from a second one), and may keep
// owning it after the user ended the selection (gvim leaving Visual mode). Presses are XInput2's
// raw events on the root, so a grab elsewhere hides none; each is paired with the top-level
// window it went to, the one under the pointer for a button, the one holding the keyboard for a
// key. Nothing is polled: the server tells of each press and each change of owner.
class X11SelectionTakes : public QObject {
    Q_OBJECT
public:
    // Presses remembered since the selection was taken; a selection with more after it than
    // this is no longer the user's anyway.
    static constexpr int kMaxPressesKept = 64;

    explicit X11SelectionTakes(QObject *parent = nullptr);
    ~X11SelectionTakes() override;

    // False without a display, XFixes or XInput2: nothing can then be told selected.
    bool isWatching() const { return m_watching; }
    // Whether the primary selection holds what the user selected in the window (a managed
    // window or its frame) and has not ended since: another program's, taken after a press of
    // the user's there, and followed by none but modifiers.
    bool selectedIn(unsigned long window);
    // The last press was the key of a global shortcut that asked for a chord, taken by its grab:
    // it is no press in the window it was typed over.
    void forgetShortcutPress(const QList<unsigned> &shortcutKeycodes);

private:
    struct Press {
        unsigned long topLevel = 0;
        unsigned detail = 0; // the keycode, or the button
        bool key = false;
    };
    // Reads everything the server has sent up to now, so that a press or a change of owner made
    // before this call is known.
    void catchUp();
    void readEvents();
    void notePress(bool key, unsigned detail);
    void noteOwner(unsigned long owner);
    unsigned long topLevelOf(unsigned long window) const;
    QList<unsigned> modifierKeycodes() const;
    bool isOwn(unsigned long window) const;

    X11Connection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_watching = false;
    int m_xfixesEventBase = 0;
    int m_inputOpcode = -1;
    unsigned long m_primary = 0;
    unsigned long m_wmState = 0;
    unsigned long m_ownIdBase = 0;
    unsigned long m_ownIdMask = 0;
    // The top-level window of the user's last press, whichever it was.
    unsigned long m_lastPressWindow = 0;
    // The top-level window the user last pressed in before the selection was taken; 0 when it
    // is owned by no one, by Tarnel, or was taken before any press was seen.
    unsigned long m_takenAfterPressIn = 0;
    QList<Press> m_pressesSinceTake;
    bool m_pressesOverflowed = false;
};
