#pragma once

#include <QObject>

// What the desktop lets Tarnel do. Answers may change while Tarnel runs, so callers ask again
// instead of keeping them.
class Permissions : public QObject {
    Q_OBJECT
public:
    enum class Kind {
        Accessibility,   // typing into other applications
        InputMonitoring, // seeing the keys typed in other applications
        ScreenRecording, // reading the screen
    };
    Q_ENUM(Kind)

    using QObject::QObject;

    // Synthetic keys reach other applications.
    virtual bool accessibilityTrusted() const = 0;
    // The key tap can be set up.
    virtual bool inputMonitoring() const = 0;
    // The screen can be grabbed.
    virtual bool screenRecording() const = 0;
    // Tarnel reaches the desktop through XWayland inside a Wayland session: what it grants
    // above holds for X11 applications only (shortcuts, paste), and copies made in Wayland
    // applications arrive only when the desktop passes them on. Fixed for the program's life.
    virtual bool waylandSession() const { return false; }
    // False when every answer above is fixed for the program's life, so asking again is waste.
    virtual bool answersCanChange() const { return true; }

    // The desktop has no settings pane that grants these: the shell answers this signal with
    // Tarnel's own explanation of what is missing.
    void showExplanation(Kind kind) { Q_EMIT explanationRequested(kind); }

Q_SIGNALS:
    void explanationRequested(Permissions::Kind kind);
};
