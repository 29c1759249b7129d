#pragma once

#include "platform/Permissions.h"

#include <QPointer>

class KeyTap;

// What an X11 session allows: XTest means synthetic keys reach other applications, the screen
// can always be grabbed, and input monitoring is whatever the key tap can set up. Through
// XWayland all of it holds for X11 applications only; under a Wayland session without X11
// everything is refused. None of it changes while Tarnel runs.
class X11Permissions : public Permissions {
    Q_OBJECT
public:
    // The tap, if any, must outlive the permissions.
    explicit X11Permissions(KeyTap *tap, QObject *parent = nullptr);

    bool accessibilityTrusted() const override;
    bool inputMonitoring() const override;
    bool screenRecording() const override;
    bool waylandSession() const override;
    // The session, its extensions and the tap's setup are settled before the first question.
    bool answersCanChange() const override { return false; }

private:
    QPointer<KeyTap> m_tap;
};
