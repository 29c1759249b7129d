#pragma once

#include "core/AppShortcut.h"

#include <QList>
#include <QObject>


// System-wide hot keys for the shortcuts of AppShortcut; every press is one signal.
class HotKeyRegistry : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Registers all five shortcuts and returns those that could not be registered, in table
    // order (empty on full success). A second start registers nothing twice and returns the
    // same list.
    virtual QList<AppShortcut> start() = 0;
    // Releases every registered shortcut; a later start registers them anew.
    virtual void stop() = 0;
    virtual bool isStarted() const = 0;
    // The shortcuts that failed at the last start.
    virtual QList<AppShortcut> failures() const = 0;
    // The shortcuts that the keyboard's own options take before any grab sees them (a layout
    // switch on the same modifier keys), in table order.
    virtual QList<AppShortcut> takenByLayoutSwitch() const { return {}; }

Q_SIGNALS:
    // On the main thread, once per press.
    void shortcutPressed(AppShortcut shortcut);
    // The keyboard map changed which shortcuts its layout switch takes.
    void takenByLayoutSwitchChanged();
};
