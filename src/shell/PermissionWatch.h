#pragma once

#include <QObject>

#include <chrono>
#include <functional>

class ClipboardModel;
class ModelClock;
class Permissions;

// What the desktop permits Tarnel (sending keys, watching other applications' keys), read into
// the model at the start, before a shortcut sends keys, and once a second while something shows
// the answers and they can change. An idle Tarnel asks nothing.
class PermissionWatch : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kCheckInterval{1000};

    // `arePermissionsShown`: whether a notice or a settings page shows the answers.
    PermissionWatch(ClipboardModel &model, Permissions &permissions, ModelClock &clock,
                    std::function<bool()> arePermissionsShown);

    // Reads the answers, explains missing trust once a run when asked to, and follows the
    // answers while they are shown. Repeating it doubles no timer.
    void start(bool promptForAccessibility);
    // Something may have begun to show the answers: reads them at once and then once a second
    // while they stay shown.
    void resume();
    // Reads the answers now.
    void refresh();
    bool isTimerRunning() const { return m_timerRunning; }

Q_SIGNALS:
    // After each read: whether the keys of other applications may be watched.
    void inputMonitoringRead(bool allowed);

private:
    void scheduleCheck();

    ClipboardModel &m_model;
    Permissions &m_permissions;
    ModelClock &m_clock;
    std::function<bool()> m_arePermissionsShown;
    bool m_started = false;
    bool m_timerRunning = false;
    bool m_didExplain = false;
};
