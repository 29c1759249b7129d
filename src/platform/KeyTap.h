#pragma once

#include <QObject>
#include <QString>
#include <Qt>

#include <optional>

// One key press seen in any application.
struct KeyTapEvent {
    // The key by its unshifted symbol (Shift+1 is the 1 key); Qt::Key_unknown when Qt has none.
    Qt::Key key = Qt::Key_unknown;
    // Shift, Control, Alt and Meta (Super) held at the press; KeypadModifier for a keypad key.
    Qt::KeyboardModifiers modifiers;
    std::optional<QString> characters;   // what the key typed; absent when it types nothing
    bool isAutoRepeat = false;
    // The desktop's screenshot-to-clipboard chord: Print with Control (Shift and Alt allowed).
    bool isScreenshotChord = false;

    bool operator==(const KeyTapEvent &) const = default;
};

// Watches the key presses of all applications. It cannot swallow a key: every key still
// reaches its application. Tarnel's own synthetic keys are not reported, nor are presses of
// modifier keys on their own (Shift, Control, AltGr...): those only show in the modifiers.
class KeyTap : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether a tap can be set up in this session.
    virtual bool isAvailable() const = 0;
    // Sets the tap up; true when it runs (also when it already ran).
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;

Q_SIGNALS:
    // On the main thread, for each key press while the tap runs.
    void keyPressed(const KeyTapEvent &event);
};
