#include "shell/PermissionWatch.h"

#include "core/ShortcutNotice.h"
#include "engine/ClipboardModel.h"
#include "engine/ModelClock.h"
#include "platform/Permissions.h"

#include <QGuiApplication>
#include <QWindow>

PermissionWatch::PermissionWatch(ClipboardModel &model, Permissions &permissions, ModelClock &clock,
                                 std::function<bool()> arePermissionsShown)
    : m_model(model)
    , m_permissions(permissions)
    , m_clock(clock)
    , m_arePermissionsShown(std::move(arePermissionsShown))
{
}

void PermissionWatch::start(bool promptForAccessibility)
{
    refresh();

    if (promptForAccessibility && !m_permissions.accessibilityTrusted() && !m_didExplain) {
        // The desktop has no prompt of its own: Tarnel explains what is missing, once a run.
        m_didExplain = true;
        m_permissions.showExplanation(Permissions::Kind::Accessibility);
    }

    if (!m_started && qGuiApp && m_permissions.answersCanChange())
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this] { resume(); });
    m_started = true;
    if (!m_timerRunning && m_permissions.answersCanChange() && m_arePermissionsShown()) {
        m_timerRunning = true;
        scheduleCheck();
    }
}

void PermissionWatch::resume()
{
    // Answers that cannot change were read once at the start; nobody sees a check of answers
    // that nothing shows. Either way an idle Tarnel stays asleep.
    if (!m_started || m_timerRunning || !m_permissions.answersCanChange() || !m_arePermissionsShown())
        return;
    refresh();
    m_timerRunning = true;
    scheduleCheck();
}

void PermissionWatch::scheduleCheck()
{
    m_clock.singleShot(kCheckInterval, this, [this] {
        refresh();
        if (m_arePermissionsShown())
            scheduleCheck();
        else
            m_timerRunning = false;
    });
}

void PermissionWatch::refresh()
{
    const bool trusted = m_permissions.accessibilityTrusted();
    const bool listens = m_permissions.inputMonitoring();
    m_model.setAccessibilityPermissionEnabled(trusted);
    m_model.setInputMonitoringPermissionEnabled(listens);

    // Only the notice of a paste that could not send its keys is answered by trust coming
    // back; a shortcut's notice stays until the next shortcut, so the user still reads why
    // that press did nothing.
    const std::optional<QString> notice = m_model.shortcutNotice();
    if (trusted && notice == ShortcutNotice::staleTrust())
        m_model.setShortcutNotice(std::nullopt);

    Q_EMIT inputMonitoringRead(listens);
}
