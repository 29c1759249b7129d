#include "shell/DesktopStartup.h"

#include "core/Logging.h"
#include "platform/InstanceLock.h"
#include "shell/NotchPanelController.h"

#include <QPointer>

DesktopStartup::DesktopStartup(InstanceLock &lock, StartSteps steps, QObject *parent)
    : QObject(parent)
    , m_lock(lock)
    , m_steps(std::move(steps))
{
    connect(&m_lock, &InstanceLock::quitRequested, this, &DesktopStartup::quitRequested);
    connect(&m_lock, &InstanceLock::gaveWay, this, &DesktopStartup::gaveWay);
}

DesktopStartup::~DesktopStartup() = default;

void DesktopStartup::start()
{
    // The lock answers at once when no other instance runs, else after the others were
    // asked to quit and, where still running, forced to. Either way the panel starts then.
    QPointer<DesktopStartup> self(this);
    m_lock.start([self] {
        if (self)
            self->startPanel();
    });
}

void DesktopStartup::startPanel()
{
    if (m_panelController)
        return;
    if (m_steps.runMigration)
        m_steps.runMigration();
    if (m_steps.startUpdater)
        m_steps.startUpdater();
    if (!m_steps.createController)
        return;
    m_panelController = m_steps.createController();
    if (m_panelController)
        m_panelController->startServices();
}
