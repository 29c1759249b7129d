#include "shell/AppDelegate.h"

#include "core/Logging.h"
#include "platform/InstanceLock.h"
#include "shell/NotchPanelController.h"

#include <QPointer>

AppDelegate::AppDelegate(InstanceLock &lock, StartSteps steps, QObject *parent)
    : QObject(parent)
    , m_lock(lock)
    , m_steps(std::move(steps))
{
    connect(&m_lock, &InstanceLock::quitRequested, this, &AppDelegate::quitRequested);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    // The lock answers at once when no other instance runs, else after the others were
    // asked to quit and, where still running, forced to. Either way the panel starts then.
    QPointer<AppDelegate> self(this);
    m_lock.start([self] {
        if (self)
            self->startPanel();
    });
}

void AppDelegate::startPanel()
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
