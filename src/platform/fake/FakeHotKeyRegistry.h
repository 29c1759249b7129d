#pragma once

#include "platform/HotKeyRegistry.h"

// Hot keys that tests press by hand.
class FakeHotKeyRegistry : public HotKeyRegistry {
    Q_OBJECT
public:
    using HotKeyRegistry::HotKeyRegistry;

    QList<AppShortcut> start() override;
    void stop() override { m_started = false; }
    bool isStarted() const override { return m_started; }
    QList<AppShortcut> failures() const override { return m_failures; }
    QList<AppShortcut> takenByLayoutSwitch() const override { return m_takenByLayoutSwitch; }

    // The shortcuts that the next start() reports as failed (and that fire() then ignores).
    void setRefused(QList<AppShortcut> refused) { m_refused = std::move(refused); }
    // The keyboard map now in force lets its layout switch take these shortcuts.
    void setTakenByLayoutSwitch(QList<AppShortcut> taken)
    {
        m_takenByLayoutSwitch = std::move(taken);
        Q_EMIT takenByLayoutSwitchChanged();
    }
    // How many times shortcuts were actually registered (a repeated start does not count).
    int registrations() const { return m_registrations; }
    // A press of a registered shortcut: reports it. Returns whether it did.
    bool fire(AppShortcut shortcut);

private:
    QList<AppShortcut> m_refused;
    QList<AppShortcut> m_failures;
    QList<AppShortcut> m_takenByLayoutSwitch;
    bool m_started = false;
    int m_registrations = 0;
};
