#include "ui/PanelController.h"

#include <QCoreApplication>

void PanelController::quitApplication()
{
    QCoreApplication::quit();
}
