#pragma once

#include <QObject>

#include <optional>

// The key chords that Tarnel types into other applications.
enum class KeyChord {
    Paste,  // Ctrl+V; in terminals their own paste key (Ctrl+Shift+V, or Shift+Insert)
    Copy,   // Ctrl+C; in terminals their own copy key, or their selection taken as it is
    Delete, // BackSpace
};

// Which keys the user still holds a chord waits for.
enum class HeldKeys {
    // Every key: the shortcut that started a paste keeps its hot-key grab, and with it the
    // keyboard, until its last key is up.
    All,
    // Only modifiers, which would change the chord. Used while the user types on: waiting for
    // the typed keys would let the next ones reach the application before the chord.
    Modifiers,
};

// Why a chord was given up.
enum class KeyDropReason {
    // Its target window could not be made active, or is gone.
    NoTarget,
    // The window in front takes nothing the chord could bring: a terminal offered an image,
    // a terminal with nothing selected asked to copy, or any chord it would read otherwise
    // (a terminal's ^C).
    NothingToType,
    // The keys of the shortcut that asked for it were never let go: its grab took every key.
    KeysHeld,
};

// One chord to type.
struct KeyPost {
    KeyChord chord = KeyChord::Paste;
    // With a process id the chord goes to that process: its window is made active first, and
    // the chord is dropped when that cannot be done. Without one it goes to whatever window
    // has the keyboard.
    std::optional<qint64> targetPid;
    HeldKeys wait = HeldKeys::All;
    // Chosen by the caller and handed back with sent() or dropped(), so that the caller can
    // tell its own chord's fate; 0 when it does not care.
    quint64 token = 0;
    // With a target process: the window of it that is made active, the one the user was typing
    // in; 0 (or a window that is gone) stands for the process's topmost window.
    quint64 targetWindow = 0;
};

// Synthetic key presses into other applications.
class KeySender : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Queues one chord. Chords go out in the order they were posted, after the keys the user
    // still holds are released (or after a bounded wait), so that they do not mix into the
    // chord. Returns false when synthetic keys cannot be sent at all; then no signal follows.
    virtual bool post(const KeyPost &request) = 0;

    bool sendPaste(std::optional<qint64> targetPid = std::nullopt, quint64 token = 0)
    {
        return post({KeyChord::Paste, targetPid, HeldKeys::All, token});
    }
    bool sendCopy(qint64 targetPid) { return post({KeyChord::Copy, targetPid, HeldKeys::All, 0}); }
    // Backspace while the user types on, as a snippet expansion needs it.
    bool sendDelete() { return post({KeyChord::Delete, std::nullopt, HeldKeys::Modifiers, 0}); }

Q_SIGNALS:
    // A chord went out.
    void sent(KeyChord chord, quint64 token);
    // A chord was given up, and why.
    void dropped(KeyChord chord, quint64 token, KeyDropReason reason);
};
