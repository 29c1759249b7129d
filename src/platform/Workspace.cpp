#include "platform/Workspace.h"

#include <QCoreApplication>

qint64 Workspace::ownPid() const
{
    return QCoreApplication::applicationPid();
}
