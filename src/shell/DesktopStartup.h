#pragma once

#include <QObject>

#include <functional>
#include <memory>

class InstanceLock;
class NotchPanelController;

// The program's own start: one running Tarnel per user, then the panel. Other instances are
// asked to quit (and forced, when still there a moment later) before anything starts, and a
// later instance's request makes this one quit.
class DesktopStartup : public QObject {
    Q_OBJECT
public:
    struct StartSteps {
        // Copies data of earlier versions once; runs before the model reads anything.
        std::function<void()> runMigration;
        // Brings the shared updater up, so it exists from start-up.
        std::function<void()> startUpdater;
        // Creates the one controller (and with it the model, which loads the saved state).
        std::function<std::unique_ptr<NotchPanelController>()> createController;
    };

    DesktopStartup(InstanceLock &lock, StartSteps steps, QObject *parent = nullptr);
    ~DesktopStartup() override;

    // The start of the program's own work: the single-instance step, then the panel.
    void start();

    NotchPanelController *panelController() const { return m_panelController.get(); }

Q_SIGNALS:
    // Another instance started and asked this one to make way.
    void quitRequested();
    // During the start: another instance keeps running and could not be made to quit, so the
    // panel never starts (see InstanceLock::gaveWay).
    void gaveWay(qint64 pid, const QString &executable);

private:
    void startPanel();

    InstanceLock &m_lock;
    StartSteps m_steps;
    std::unique_ptr<NotchPanelController> m_panelController;
};
