#include "engine/ModelClock.h"

#include <QTimer>

QDateTime SystemModelClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

void SystemModelClock::singleShot(std::chrono::milliseconds delay, QObject *context, std::function<void()> work)
{
    QTimer::singleShot(delay, context, std::move(work));
}
