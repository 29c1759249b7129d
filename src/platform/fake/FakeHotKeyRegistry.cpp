#include "platform/fake/FakeHotKeyRegistry.h"

QList<AppShortcut> FakeHotKeyRegistry::start()
{
    if (m_started)
        return m_failures;
    m_started = true;
    ++m_registrations;
    m_failures.clear();
    for (AppShortcut shortcut : AppShortcut::allCases()) {
        if (m_refused.contains(shortcut))
            m_failures.append(shortcut);
    }
    return m_failures;
}

bool FakeHotKeyRegistry::fire(AppShortcut shortcut)
{
    if (!m_started || m_failures.contains(shortcut))
        return false;
    Q_EMIT shortcutPressed(shortcut);
    return true;
}
