#pragma once

#include <QObject>

#include <optional>

// The key chords that Tarnel types into other applications.
enum class KeyChord {
    Paste,  // Ctrl+V (Ctrl+Shift+V in terminals)
    Copy,   // Ctrl+C (Ctrl+Shift+C in terminals)
    Delete, // BackSpace
};

// Synthetic key presses into other applications.
class KeySender : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Queues one chord. With a process id the chord goes to that process: its window is made
    // active first, and the chord is dropped when that cannot be done. Without one it goes to
    // whatever window has the keyboard. Chords go out in the order they were posted, after the
    // modifier keys the user still holds are released (or after a bounded wait), so that they
    // do not mix into the chord. Returns false when synthetic keys cannot be sent at all.
    virtual bool post(KeyChord chord, std::optional<qint64> targetPid) = 0;

    bool sendPaste(std::optional<qint64> targetPid = std::nullopt) { return post(KeyChord::Paste, targetPid); }
    bool sendCopy(qint64 targetPid) { return post(KeyChord::Copy, targetPid); }
    bool sendDelete() { return post(KeyChord::Delete, std::nullopt); }

signals:
    // A chord went out.
    void sent(KeyChord chord);
    // A chord was given up (its target window could not be activated).
    void dropped(KeyChord chord);
};
