#pragma once

#include "core/AppShortcut.h"

#include <QList>
#include <QObject>

#include <functional>

// System-wide hot keys for the shortcuts of AppShortcut; every press goes to one callback.
class HotKeyRegistry : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Set by the owner before start(); called on the main thread once per press.
    std::function<void(AppShortcut)> onShortcut;

    // Registers all five shortcuts and returns those that could not be registered, in table
    // order (empty on full success). A second start registers nothing twice and returns the
    // same list.
    virtual QList<AppShortcut> start() = 0;
    // Releases every registered shortcut; a later start registers them anew.
    virtual void stop() = 0;
    virtual bool isStarted() const = 0;
    // The shortcuts that failed at the last start.
    virtual QList<AppShortcut> failures() const = 0;
};
